#include "windows/document_viewer.h"

#include "windows/rtf_text_document.h"
#include "windows/screen_fit.h"
#include "windows/stacking.h"
#include "windows/termination.h"
#include "windows/twips.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QCloseEvent>
#include <QDir>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>

namespace {
struct ViewerDef
{
    const char* windowName;
    const char* document;
    const char* caption;
    int clientWidth;
    int clientHeight;
    int heightSubtracted;
};

constexpr ViewerDef kViewers[] = {
    {"frmHelp", "Help.rtf", "Glyphward OSK F.A.Q.", 10470, 10515, 300},
    {"frmLicense", "GlyphwardLiscense.rtf", "Glyphward OSK Liscense Agreement", 10620, 11295, 400},
};

const ViewerDef& def(ViewerKind kind)
{
    return kViewers[kind == ViewerKind::Faq ? 0 : 1];
}

// The view's own class, so that the accessibility factory below is asked for it before Qt's own, which knows
// QTextBrowser.
class DocumentView : public QTextBrowser
{
    Q_OBJECT

public:
    using QTextBrowser::QTextBrowser;
};

// The document view as assistive technology sees it: a read-only document named after its viewer, whose text
// a screen reader can read and move through (Qt shows a text browser as an unnamed label).
class DocumentViewAccessible : public QAccessibleWidget, public QAccessibleTextInterface
{
public:
    explicit DocumentViewAccessible(QTextBrowser* view) : QAccessibleWidget(view, QAccessible::Document) {}

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface) {
            return static_cast<QAccessibleTextInterface*>(this);
        }
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name) {
            return view()->window()->windowTitle();
        }
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.readOnly = true;
        s.multiLine = true;
        s.selectableText = true;
        return s;
    }

    void selection(int selectionIndex, int* startOffset, int* endOffset) const override
    {
        const QTextCursor cursor = view()->textCursor();
        *startOffset = *endOffset = 0;
        if (selectionIndex == 0 && cursor.hasSelection()) {
            *startOffset = cursor.selectionStart();
            *endOffset = cursor.selectionEnd();
        }
    }
    int selectionCount() const override { return view()->textCursor().hasSelection() ? 1 : 0; }
    void addSelection(int startOffset, int endOffset) override { setSelection(0, startOffset, endOffset); }
    void removeSelection(int) override
    {
        QTextCursor cursor = view()->textCursor();
        cursor.clearSelection();
        view()->setTextCursor(cursor);
    }
    void setSelection(int, int startOffset, int endOffset) override
    {
        QTextCursor cursor = cursorAt(startOffset);
        cursor.setPosition(clamped(endOffset), QTextCursor::KeepAnchor);
        view()->setTextCursor(cursor);
    }
    int cursorPosition() const override { return view()->textCursor().position(); }
    void setCursorPosition(int position) override { view()->setTextCursor(cursorAt(position)); }
    QString text(int startOffset, int endOffset) const override
    {
        return plainText().mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return static_cast<int>(plainText().size()); }
    QRect characterRect(int offset) const override
    {
        const QRect local = view()->cursorRect(cursorAt(offset));
        return QRect(view()->viewport()->mapToGlobal(local.topLeft()), local.size());
    }
    int offsetAtPoint(const QPoint& point) const override
    {
        return view()->cursorForPosition(view()->viewport()->mapFromGlobal(point)).position();
    }
    void scrollToSubstring(int startIndex, int) override { view()->setTextCursor(cursorAt(startIndex)); }
    QString attributes(int, int* startOffset, int* endOffset) const override
    {
        *startOffset = *endOffset = -1;
        return {};
    }

private:
    QTextBrowser* view() const { return static_cast<QTextBrowser*>(widget()); }
    // QTextDocument's own plain text, whose offsets are the cursor positions (paragraph ends count one).
    QString plainText() const { return view()->document()->toRawText(); }
    int clamped(int offset) const { return std::clamp(offset, 0, characterCount()); }
    QTextCursor cursorAt(int offset) const
    {
        QTextCursor cursor(view()->document());
        cursor.setPosition(clamped(offset));
        return cursor;
    }
};

QAccessibleInterface* documentViewAccessible(const QString& className, QObject* object)
{
    if (className == QLatin1String(DocumentView::staticMetaObject.className()) && object) {
        return new DocumentViewAccessible(static_cast<DocumentView*>(object));
    }
    return nullptr;
}
} // namespace

QString DocumentViewer::documentName(ViewerKind kind)
{
    return QString::fromLatin1(def(kind).document);
}

QString DocumentViewer::caption(ViewerKind kind)
{
    return QString::fromLatin1(def(kind).caption);
}

int DocumentViewer::heightSubtracted(ViewerKind kind)
{
    return def(kind).heightSubtracted;
}

DocumentViewer::DocumentViewer(ViewerKind kind, const QString& documentDirectory, QWidget* keypad,
                               WindowStacking& stacking)
    // A dialog, so that the window system knows the keypad owns it (transient for the keypad: no task-bar entry
    // of its own, kept with the keypad), as an owned modal form is.
    : QDialog(keypad, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                          Qt::WindowCloseButtonHint),
      m_kind(kind), m_keypad(keypad), m_stacking(stacking), m_rtbMain(new DocumentView(this))
{
    const ViewerDef& viewer = def(kind);
    setObjectName(viewer.windowName);
    setModal(true);
    setSizeGripEnabled(true);
    resize(twipsToPixels(viewer.clientWidth), twipsToPixels(viewer.clientHeight));
    if (kind == ViewerKind::License) {
        setWindowIcon(QIcon(":/icons/license.png"));
        // Its client area, not its frame, on the keypad's screen.
        placeOnKeypadScreen(this, keypad, QPoint(twipsToPixels(1155), twipsToPixels(345)));
    }

    static const bool factoryInstalled = [] {
        QAccessible::installFactory(documentViewAccessible);
        return true;
    }();
    Q_UNUSED(factoryInstalled);
    m_rtbMain->setObjectName("rtbMain");
    m_rtbMain->setReadOnly(true);
    m_rtbMain->setOpenLinks(false);
    m_rtbMain->setGeometry(kind == ViewerKind::Faq ? twipsRect(0, 0, 9975, 10095) : twipsRect(0, 60, 10215, 10935));

    load(QDir(documentDirectory).filePath(documentName(kind)));
    setWindowTitle(caption(kind));
    fitView();
}

void DocumentViewer::load(const QString& path)
{
    // A document that takes long to build must not keep a closing program waiting.
    m_rtbMain->setDocument(loadRtfDocument(path, m_rtbMain, terminationRequested));
}

void DocumentViewer::fitView()
{
    // The view fills the window less a margin measured on the window's outer size, frame included. Where
    // the frame is taller than that margin the view would hang below the window, hiding its own scroll bar,
    // so it never grows past the client area.
    const QSize outer = frameGeometry().size();
    const int width = std::min(outer.width() - twipsToPixels(100), this->width());
    const int height = std::min(outer.height() - twipsToPixels(heightSubtracted(m_kind)), this->height());
    m_rtbMain->setGeometry(0, 0, std::max(width, 0), std::max(height, 0));
}

void DocumentViewer::showEvent(QShowEvent* event)
{
    // QDialog would centre the F.A.Q. over the keypad, covering it: where it goes is the window manager's
    // choice. The License viewer was placed already.
    QWidget::showEvent(event);
    keepOnKeypadScreen(this, m_keypad);
    // The modal call blocks until the viewer closes, so it takes the topmost band from here.
    m_stacking.SetTopMost(this, true);
}

void DocumentViewer::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    fitView();
}

void DocumentViewer::moveEvent(QMoveEvent* event)
{
    // The window manager's frame arrives after the first show, announced by a move.
    QDialog::moveEvent(event);
    if (isVisible()) {
        keepOnKeypadScreen(this, m_keypad);
    }
    fitView();
}

bool DocumentViewer::event(QEvent* event)
{
    // Activation follows the window manager's framing of the window, which changes its outer size.
    if (event->type() == QEvent::WindowActivate) {
        fitView();
    }
    return QDialog::event(event);
}

void DocumentViewer::closeEvent(QCloseEvent* event)
{
    QDialog::closeEvent(event);
    if (event->isAccepted()) {
        handBack();
    }
}

void DocumentViewer::done(int result)
{
    // Esc and the close box both end here; the band goes back to the keypad either way.
    handBack();
    QDialog::done(result);
}

void DocumentViewer::handBack()
{
    if (m_handedBack) {
        return;
    }
    m_handedBack = true;
    m_stacking.SetTopMost(this, false);
    if (m_keypad) {
        m_stacking.SetTopMost(m_keypad, true);
    }
}

#include "document_viewer.moc"
