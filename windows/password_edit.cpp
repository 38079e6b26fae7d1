#include "windows/password_edit.h"

#include "windows/drag_payload.h"
#include "windows/drag_server.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QDrag>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTimer>
#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <utility>
#include <vector>

namespace {

// Once the drop is made, the target asks for the text; Qt keeps the drag until the target reports that it
// has finished. A target that never does must not keep the payload readable for long.
constexpr int kLateRequestMs = 10000;

QString maskOf(std::size_t characters)
{
    return QString(static_cast<qsizetype>(characters), u'#');
}

// Assistive technology sees what the screen shows: the mask, one "#" per character, never the text. Through
// the text interface a screen reader can count the characters and follow the caret and the selection; what
// it asks to change there is ignored, as it could only move the caret within a mask.
class PasswordEditAccessible : public QAccessibleWidget, public QAccessibleTextInterface
{
public:
    explicit PasswordEditAccessible(PasswordEdit* field) : QAccessibleWidget(field, QAccessible::EditableText) {}

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface) {
            return static_cast<QAccessibleTextInterface*>(this);
        }
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value) {
            return maskOf(field()->textLength());
        }
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.editable = true;
        s.passwordEdit = true;
        s.selectableText = true;
        return s;
    }

    // QAccessibleTextInterface, over the mask.
    void selection(int selectionIndex, int* startOffset, int* endOffset) const override
    {
        *startOffset = *endOffset = 0;
        if (selectionIndex == 0 && field()->selLength() > 0) {
            *startOffset = static_cast<int>(field()->selStart());
            *endOffset = static_cast<int>(field()->selStart() + field()->selLength());
        }
    }
    int selectionCount() const override { return field()->selLength() > 0 ? 1 : 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return static_cast<int>(field()->caretPosition()); }
    void setCursorPosition(int) override {}
    QString text(int startOffset, int endOffset) const override
    {
        return maskOf(field()->textLength()).mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return static_cast<int>(field()->textLength()); }
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int, int* startOffset, int* endOffset) const override
    {
        *startOffset = *endOffset = -1;
        return {};
    }

private:
    const PasswordEdit* field() const { return static_cast<const PasswordEdit*>(widget()); }
};

QAccessibleInterface* accessibleFactory(const QString& className, QObject* object)
{
    if (className == QLatin1String(PasswordEdit::staticMetaObject.className()) && object && object->isWidgetType()) {
        return new PasswordEditAccessible(static_cast<PasswordEdit*>(object));
    }
    return nullptr;
}

// The keypad logic's drop effects.
int dropEffect(Qt::DropAction action)
{
    switch (action) {
    case Qt::MoveAction:
    case Qt::TargetMoveAction:
        return 2;
    case Qt::CopyAction:
        return 1;
    case Qt::LinkAction:
        return 4;
    default:
        return 0;
    }
}

bool isClipboardKey(const QKeyEvent* event, Qt::KeyboardModifiers modifiers)
{
    const int key = event->key();
    if (event->matches(QKeySequence::Copy) || event->matches(QKeySequence::Cut) ||
        event->matches(QKeySequence::Paste)) {
        return true;
    }
    if (key == Qt::Key_Copy || key == Qt::Key_Cut || key == Qt::Key_Paste) {
        return true;
    }
    if (modifiers == Qt::ControlModifier && (key == Qt::Key_C || key == Qt::Key_X || key == Qt::Key_V)) {
        return true;
    }
    return key == Qt::Key_Insert && (modifiers == Qt::ShiftModifier || modifiers == Qt::ControlModifier);
}

// Only printable ASCII (0x20..0x7E) is typed into the field; any other character is ignored. The keypad's
// glyphs are ASCII, and a character that the target may encode differently could make the password fail.
bool isPrintableAscii(const QString& text)
{
    return !text.isEmpty() &&
           std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() >= 0x20 && c.unicode() <= 0x7E; });
}

} // namespace

PasswordEdit::PasswordEdit(QWidget* parent) : QWidget(parent)
{
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(accessibleFactory);
        return true;
    }();
    Q_UNUSED(factoryInstalled);

    QFont font(QStringLiteral("MS Sans Serif"), 12);
    font.setStyleHint(QFont::SansSerif);
    setFont(font);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setInputMethodHints(Qt::ImhHiddenText | Qt::ImhSensitiveData | Qt::ImhNoPredictiveText | Qt::ImhNoAutoUppercase);
    // A drop from our own drag would report a move and empty the field.
    setAcceptDrops(false);
    setCursor(Qt::IBeamCursor);
    setAccessibleName(QStringLiteral("Password"));
}

PasswordEdit::~PasswordEdit() = default;

SecretText PasswordEdit::GetText() const
{
    return m_text;
}

void PasswordEdit::SetText(const SecretText& text)
{
    const bool differs = !(text == m_text);
    m_text = text;
    m_selStart = 0;
    m_selLength = 0;
    m_caretAtStart = false;
    m_scroll = 0;
    edited(differs);
}

void PasswordEdit::SetFocus()
{
    if (!isVisible()) {
        return;
    }
    setFocus(Qt::OtherFocusReason);
}

void PasswordEdit::SetSelStart(std::size_t n)
{
    select(std::min(n, m_text.size()), std::min(n, m_text.size()));
}

void PasswordEdit::SetSelLength(std::size_t n)
{
    select(m_selStart, m_selStart + std::min(n, m_text.size() - m_selStart));
}

void PasswordEdit::SendKeystroke(Keystroke key)
{
    const Qt::Key code = key == Keystroke::Backspace ? Qt::Key_Backspace : Qt::Key_Delete;
    QWidget* target = QApplication::focusWidget();
    if (!target) {
        target = this;
    }
    QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyPress, code, Qt::NoModifier));
    QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyRelease, code, Qt::NoModifier));
}

QSize PasswordEdit::sizeHint() const
{
    return {153, 25};
}

void PasswordEdit::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QStyleOptionFrame frame;
    frame.initFrom(this);
    frame.lineWidth = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &frame, this);
    frame.midLineWidth = 0;
    frame.state |= QStyle::State_Sunken;
    style()->drawPrimitive(QStyle::PE_PanelLineEdit, &frame, &painter, this);

    const QRect area = textArea();
    const int textWidth = advance(m_text.size());
    // A mask wider than the field scrolls so that the caret stays in view.
    if (textWidth < area.width()) {
        m_scroll = 0;
    } else {
        const int caretX = advance(caret());
        m_scroll = std::min(m_scroll, caretX);
        m_scroll = std::max(m_scroll, caretX - area.width() + 1);
        m_scroll = std::min(m_scroll, textWidth - area.width() + 1);
        m_scroll = std::max(m_scroll, 0);
    }

    const QRect line = lineRect(area);
    const int left = textLeft(area);
    const QPoint baseline(left, line.top() + fontMetrics().ascent());
    const QString mask = maskOf(m_text.size());
    const QPalette& palette = frame.palette;

    painter.setClipRect(area);
    painter.setPen(palette.color(QPalette::Text));
    painter.drawText(baseline, mask);

    const QRect selection = selectionRect();
    if (!selection.isEmpty()) {
        painter.setClipRect(selection & area);
        painter.fillRect(selection, palette.brush(QPalette::Highlight));
        painter.setPen(palette.color(QPalette::HighlightedText));
        painter.drawText(baseline, mask);
        painter.setClipRect(area);
    }

    if (hasFocus() && m_caretOn) {
        painter.fillRect(QRect(left + advance(caret()), line.top(), 1, line.height()), palette.color(QPalette::Text));
    }
}

void PasswordEdit::keyPressEvent(QKeyEvent* event)
{
    // The keypad's Delete key arrives with the keypad modifier; it means the same as the main one.
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    const bool shift = modifiers.testFlag(Qt::ShiftModifier);
    const bool plainOrShift = (modifiers & ~Qt::ShiftModifier) == Qt::NoModifier;
    const bool movement = (modifiers & ~(Qt::ShiftModifier | Qt::ControlModifier)) == Qt::NoModifier;
    const bool control = modifiers.testFlag(Qt::ControlModifier);

    // Shift+Delete is a cut on X11: here it only deletes.
    if (event->key() == Qt::Key_Delete && plainOrShift) {
        eraseForward();
        return;
    }
    // The password never goes to the clipboard nor comes from it: the keys are taken and do nothing, so
    // that no other part of the window acts on them either.
    if (isClipboardKey(event, modifiers)) {
        return;
    }

    switch (event->key()) {
    case Qt::Key_Backspace:
        if (plainOrShift) {
            eraseBackward();
            return;
        }
        break;
    case Qt::Key_Home:
    case Qt::Key_End:
        if (movement) {
            moveCaret(event->key() == Qt::Key_Home ? 0 : m_text.size(), shift);
            return;
        }
        break;
    case Qt::Key_Left:
    case Qt::Key_Right:
        if (movement) {
            const bool left = event->key() == Qt::Key_Left;
            std::size_t position;
            if (control) {
                // Word boundaries would tell where the password's separators are: jump to the ends instead.
                position = left ? 0 : m_text.size();
            } else if (m_selLength > 0 && !shift) {
                position = left ? m_selStart : m_selStart + m_selLength;
            } else {
                position = left ? (caret() > 0 ? caret() - 1 : 0) : std::min(caret() + 1, m_text.size());
            }
            moveCaret(position, shift);
            return;
        }
        break;
    case Qt::Key_A:
        if (modifiers == Qt::ControlModifier) {
            select(0, m_text.size());
            return;
        }
        break;
    default:
        break;
    }

    // Ctrl+Alt together is AltGr on some systems; either alone makes a shortcut, not a character.
    const bool shortcut = modifiers.testFlag(Qt::MetaModifier) || control != modifiers.testFlag(Qt::AltModifier);
    const QString text = event->text();
    if (!shortcut && isPrintableAscii(text)) {
        SecretText typed;
        for (const QChar c : text) {
            typed.append(static_cast<char>(c.unicode()));
        }
        edited(replaceSelection(typed.view()));
        // The event's text is a piece of the password, in a buffer that the window system's event shares and
        // that is freed without being overwritten. A text without a capacity is static data and no secret.
        if (text.capacity() > 0) {
            wipeMemory(const_cast<QChar*>(text.constData()), static_cast<std::size_t>(text.size()) * sizeof(QChar));
        }
        return;
    }
    if (!shortcut && !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) { return c.isPrint(); })) {
        // A character the keypad cannot take (é, £): refused audibly, not dropped without a sign.
        if (text.capacity() > 0) {
            wipeMemory(const_cast<QChar*>(text.constData()), static_cast<std::size_t>(text.size()) * sizeof(QChar));
        }
        refuseCharacter();
        return;
    }
    event->ignore();
}

void PasswordEdit::refuseCharacter()
{
    QApplication::beep();
}

void PasswordEdit::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    m_pressed = true;
    m_pressPos = event->position().toPoint();
    m_dragArmed = selectionRect().contains(m_pressPos);
    if (!m_dragArmed) {
        m_pressAnchor = boundaryAt(m_pressPos.x());
        select(m_pressAnchor, m_pressAnchor);
    }
}

void PasswordEdit::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_pressed || !event->buttons().testFlag(Qt::LeftButton)) {
        return;
    }
    const QPoint position = event->position().toPoint();
    if (!m_dragArmed) {
        select(m_pressAnchor, boundaryAt(position.x()));
        return;
    }
    if ((position - m_pressPos).manhattanLength() >= QApplication::startDragDistance()) {
        m_pressed = false;
        m_dragArmed = false;
        startDrag();
    }
}

void PasswordEdit::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !m_pressed) {
        event->ignore();
        return;
    }
    m_pressed = false;
    if (m_dragArmed) {
        // A press on the selection that never became a drag is a plain click at that point.
        m_dragArmed = false;
        const std::size_t position = boundaryAt(event->position().toPoint().x());
        select(position, position);
    }
    emit clicked();
}

void PasswordEdit::focusInEvent(QFocusEvent* event)
{
    const Qt::FocusReason reason = event->reason();
    if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason || reason == Qt::ShortcutFocusReason) {
        select(0, m_text.size());
    }
    restartCaretBlink();
    QWidget::focusInEvent(event);
}

void PasswordEdit::focusOutEvent(QFocusEvent* event)
{
    m_caretTimer.stop();
    m_pressed = false;
    m_dragArmed = false;
    update();
    QWidget::focusOutEvent(event);
}

void PasswordEdit::inputMethodEvent(QInputMethodEvent* event)
{
    event->ignore();
}

QVariant PasswordEdit::inputMethodQuery(Qt::InputMethodQuery) const
{
    // Input methods are off; nothing about the text, not even the surrounding text, is handed to one.
    return {};
}

void PasswordEdit::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != m_caretTimer.timerId()) {
        QWidget::timerEvent(event);
        return;
    }
    m_caretOn = !m_caretOn;
    update();
}

Qt::DropAction PasswordEdit::runDrag(QMimeData* data)
{
    // Qt deletes the drag, and the payload with it, when the target has finished; not we.
    auto* drag = new QDrag(this);
    drag->setMimeData(data);
    return drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::MoveAction);
}

std::size_t PasswordEdit::caret() const
{
    return m_caretAtStart ? m_selStart : m_selStart + m_selLength;
}

std::size_t PasswordEdit::anchor() const
{
    return m_caretAtStart ? m_selStart + m_selLength : m_selStart;
}

void PasswordEdit::select(std::size_t anchor, std::size_t caret)
{
    m_selStart = std::min(anchor, caret);
    m_selLength = std::max(anchor, caret) - m_selStart;
    m_caretAtStart = caret < anchor;
    restartCaretBlink();
    if (QAccessible::isActive()) {
        QAccessibleTextCursorEvent moved(this, static_cast<int>(caret));
        QAccessible::updateAccessibility(&moved);
        QAccessibleTextSelectionEvent selected(this, static_cast<int>(m_selStart),
                                               static_cast<int>(m_selStart + m_selLength));
        QAccessible::updateAccessibility(&selected);
    }
}

void PasswordEdit::moveCaret(std::size_t position, bool extend)
{
    select(extend ? anchor() : position, position);
}

bool PasswordEdit::replaceSelection(std::string_view with)
{
    SecretText text = m_text;
    text.erase(m_selStart, m_selLength);
    text.insert(m_selStart, with);
    const bool differs = !(text == m_text);
    m_text = std::move(text);
    const std::size_t position = m_selStart + with.size();
    select(position, position);
    return differs;
}

void PasswordEdit::edited(bool textChanged)
{
    restartCaretBlink();
    if (QAccessible::isActive() && m_announcedLength != m_text.size()) {
        // Masks only: what a screen reader hears is how many characters there are.
        QAccessibleTextUpdateEvent event(this, 0, maskOf(m_announcedLength), maskOf(m_text.size()));
        QAccessible::updateAccessibility(&event);
    }
    m_announcedLength = m_text.size();
    // Last, so that a handler that selects the text keeps its selection.
    if (textChanged) {
        emit changed();
    }
}

void PasswordEdit::eraseBackward()
{
    if (m_selLength == 0 && m_selStart > 0) {
        select(m_selStart - 1, m_selStart);
    }
    edited(replaceSelection({}));
}

void PasswordEdit::eraseForward()
{
    if (m_selLength == 0 && m_selStart < m_text.size()) {
        select(m_selStart, m_selStart + 1);
    }
    edited(replaceSelection({}));
}

void PasswordEdit::startDrag()
{
    if (m_selLength == 0) {
        return;
    }
    serveDragDataOurselves();
    auto* payload = new DragPayload(SecretText(m_text.view().substr(m_selStart, m_selLength)));
    const QPointer<DragPayload> payloadAlive(payload);
    const QPointer<PasswordEdit> self(this);
    const unsigned drag = ++m_drags;
    m_awaitingHandover = false;
    m_handedOver = false;
    connect(payload, &DragPayload::firstHandedOver, this, [this, drag] {
        if (drag != m_drags) {
            return;
        }
        m_handedOver = true;
        if (m_awaitingHandover) {
            finishMove(true);
        }
    });
    connect(payload, &DragPayload::ended, this, [this, drag] {
        if (drag == m_drags && m_awaitingHandover) {
            finishMove(false);
        }
    });

    const Qt::DropAction action = runDrag(payload);
    if (payloadAlive) {
        if (action == Qt::IgnoreAction) {
            // No drop was made: nobody will ask for the text.
            payloadAlive->wipe();
        } else {
            QTimer::singleShot(kLateRequestMs, payloadAlive.data(), [payload] { payload->wipe(); });
        }
    }
    if (!self || drag != m_drags) {
        return;
    }
    const int effect = dropEffect(action);
    if (effect != 2 || m_handedOver) {
        emit dragCompleted(effect);
    } else if (payloadAlive && !payloadAlive->wiped()) {
        // On X11 the target asks for the data only after the drop, that is after exec() has returned.
        m_awaitingHandover = true;
    } else {
        finishMove(false);
    }
}

void PasswordEdit::finishMove(bool handedOver)
{
    m_awaitingHandover = false;
    if (!handedOver) {
        // The target's word alone would lose the password: kept, and said once.
        std::cerr << "glyphward: the drop target reported a move but never asked for the password; "
                     "it stays in the field\n";
    }
    emit dragCompleted(handedOver ? 2 : 0);
}

void PasswordEdit::restartCaretBlink()
{
    m_caretOn = true;
    const int flashTime = QApplication::cursorFlashTime();
    if (hasFocus() && flashTime > 0) {
        m_caretTimer.start(flashTime / 2, this);
    } else {
        m_caretTimer.stop();
    }
    update();
}

QRect PasswordEdit::textArea() const
{
    QStyleOptionFrame frame;
    frame.initFrom(this);
    frame.lineWidth = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &frame, this);
    frame.midLineWidth = 0;
    // The same inner margins as QLineEdit's.
    return style()->subElementRect(QStyle::SE_LineEditContents, &frame, this).adjusted(2, 1, -2, -1);
}

QRect PasswordEdit::lineRect(const QRect& area) const
{
    const int height = fontMetrics().height();
    return {area.left(), area.top() + (area.height() - height) / 2, area.width(), height};
}

int PasswordEdit::advance(std::size_t characters) const
{
    return fontMetrics().horizontalAdvance(maskOf(characters));
}

int PasswordEdit::textLeft(const QRect& area) const
{
    const int textWidth = advance(m_text.size());
    if (textWidth < area.width()) {
        return area.left() + (area.width() - textWidth) / 2;
    }
    return area.left() - m_scroll;
}

QRect PasswordEdit::selectionRect() const
{
    if (m_selLength == 0) {
        return {};
    }
    const QRect area = textArea();
    const QRect line = lineRect(area);
    const int left = textLeft(area);
    return QRect(QPoint(left + advance(m_selStart), line.top()),
                 QPoint(left + advance(m_selStart + m_selLength) - 1, line.bottom()));
}

std::size_t PasswordEdit::boundaryAt(int x) const
{
    const int offset = x - textLeft(textArea());
    std::size_t nearest = 0;
    for (std::size_t i = 1; i <= m_text.size(); ++i) {
        if (std::abs(advance(i) - offset) < std::abs(advance(nearest) - offset)) {
            nearest = i;
        }
    }
    return nearest;
}
