#pragma once

#include "keypad/field_view.h"
#include "keypad/secret_text.h"

#include <QBasicTimer>
#include <QPoint>
#include <QWidget>

class QMimeData;

// The masked password field. It holds the password only in a SecretText, shows one "#" per character,
// never puts the text on the clipboard or the X11 selection, accepts no drops, and drags its selected text
// out as a move by default.
class PasswordEdit : public QWidget, public FieldView
{
    Q_OBJECT

public:
    explicit PasswordEdit(QWidget* parent = nullptr);
    ~PasswordEdit() override;

    // FieldView
    SecretText GetText() const override;
    void SetText(const SecretText& text) override;
    // Does nothing while the window is not shown: a focus request made before the first show would be
    // remembered by Qt and steal the first focus from the keypad's first key.
    void SetFocus() override;
    void SetSelStart(std::size_t n) override;
    void SetSelLength(std::size_t n) override;
    // Posts the key to the focused control (the field itself when nothing has focus); it is handled by the
    // event loop after the current handler returns.
    void SendKeystroke(Keystroke key) override;

    std::size_t selStart() const { return m_selStart; }
    std::size_t selLength() const { return m_selLength; }
    std::size_t textLength() const { return m_text.size(); }
    std::size_t caretPosition() const { return caret(); }

    QSize sizeHint() const override;

signals:
    // The text changed (never raised when a new text equals the old one).
    void changed();
    // A click on the field that did not start a drag.
    void clicked();
    // A drag out of the field ended; the drop effect as the keypad logic counts it: 2 move, 1 copy, 0 none.
    // A move counts only once the password was actually handed to a requestor, which on X11 happens after
    // the drop, so it may be reported later; a move without it is reported as 0.
    void dragCompleted(int effect);

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    void timerEvent(QTimerEvent* event) override;

    // A typed character outside printable ASCII was refused; the default beeps.
    virtual void refuseCharacter();

    // Runs the drag of the selected text and returns the action the target chose. Takes ownership of data.
    // The default hands it to a QDrag, which Qt deletes once the target has finished reading it.
    virtual Qt::DropAction runDrag(QMimeData* data);

private:
    std::size_t caret() const;
    std::size_t anchor() const;
    // Caret to position, selecting from the anchor to it.
    void select(std::size_t anchor, std::size_t caret);
    void moveCaret(std::size_t position, bool extend);
    // Replaces the selection with the given characters; false when that left the text as it was.
    bool replaceSelection(std::string_view with);
    void edited(bool textChanged);
    void eraseBackward();
    void eraseForward();
    void startDrag();
    void finishMove(bool handedOver);
    void restartCaretBlink();

    QRect textArea() const;
    QRect lineRect(const QRect& area) const;
    int advance(std::size_t characters) const;
    int textLeft(const QRect& area) const;
    QRect selectionRect() const;
    std::size_t boundaryAt(int x) const;

    SecretText m_text;
    std::size_t m_selStart = 0;
    std::size_t m_selLength = 0;
    // Which end of the selection the caret is on; the other end is the anchor that Shift+arrows keep.
    bool m_caretAtStart = false;
    // How far the mask is scrolled left when it is wider than the field.
    int m_scroll = 0;
    QBasicTimer m_caretTimer;
    bool m_caretOn = true;
    bool m_pressed = false;
    bool m_dragArmed = false;
    QPoint m_pressPos;
    std::size_t m_pressAnchor = 0;
    // The latest drag, and what is known of it while its move is not settled yet.
    unsigned m_drags = 0;
    // The length that assistive technology was last told of.
    std::size_t m_announcedLength = 0;
    bool m_awaitingHandover = false;
    bool m_handedOver = false;
};
