#include "windows/document_viewer.h"

#include "windows/rtf_text_document.h"
#include "windows/stacking.h"
#include "windows/twips.h"

#include <QCloseEvent>
#include <QDir>
#include <QTextBrowser>
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
    : QDialog(keypad, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                          Qt::WindowCloseButtonHint),
      m_kind(kind), m_keypad(keypad), m_stacking(stacking), m_rtbMain(new QTextBrowser(this))
{
    const ViewerDef& viewer = def(kind);
    setObjectName(viewer.windowName);
    setModal(true);
    setSizeGripEnabled(true);
    resize(twipsToPixels(viewer.clientWidth), twipsToPixels(viewer.clientHeight));
    if (kind == ViewerKind::License) {
        setWindowIcon(QIcon(":/icons/license.png"));
        move(twipsToPixels(1155), twipsToPixels(345));
    }

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
    m_rtbMain->setDocument(loadRtfDocument(path, m_rtbMain));
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
    QDialog::showEvent(event);
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
