#include "keypad/password_field.h"
#include "windows/drag_payload.h"
#include "windows/password_edit.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QImage>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace {

std::string textOf(const PasswordEdit& field)
{
    return std::string(field.GetText().view());
}

bool sendKey(QWidget& widget, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, const QString& text = {})
{
    QKeyEvent event(QEvent::KeyPress, key, modifiers, text);
    QCoreApplication::sendEvent(&widget, &event);
    return event.isAccepted();
}

void sendMouse(QWidget& widget, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons buttons)
{
    QMouseEvent event(type, at, widget.mapToGlobal(at), button, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(&widget, &event);
}

void press(QWidget& widget, QPoint at)
{
    sendMouse(widget, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
}

void moveTo(QWidget& widget, QPoint at)
{
    sendMouse(widget, QEvent::MouseMove, at, Qt::NoButton, Qt::LeftButton);
}

void release(QWidget& widget, QPoint at)
{
    sendMouse(widget, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
}

// Shows the window and waits until it is the active one, as the window manager would make it.
bool showActive(QWidget& window)
{
    window.show();
    window.activateWindow();
    QElapsedTimer clock;
    clock.start();
    while (QApplication::activeWindow() != &window && clock.elapsed() < 2000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return QApplication::activeWindow() == &window;
}

// Answers drags as a chosen target would, and keeps the payload to look at it afterwards.
class DragProbe : public PasswordEdit
{
public:
    using PasswordEdit::PasswordEdit;

    Qt::DropAction answer = Qt::MoveAction;
    // Whether the target asks for the text during the drag.
    bool reads = true;
    // Typed characters refused (each would beep).
    int refused = 0;
    int drags = 0;
    QByteArray bytesDuringDrag;
    // The array as the payload handed it out, sharing its buffer.
    QByteArray shared;
    std::unique_ptr<QMimeData> payload;

protected:
    void refuseCharacter() override { ++refused; }

    Qt::DropAction runDrag(QMimeData* data) override
    {
        ++drags;
        payload.reset(data);
        if (!reads) {
            return answer;
        }
        shared = data->data(QStringLiteral("text/plain"));
        // A copy of the bytes, not of the reference: the payload overwrites what it handed out.
        bytesDuringDrag = QByteArray(shared.constData(), shared.size());
        return answer;
    }
};

class PasswordEditTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        field.resize(field.sizeHint());
        QObject::connect(&field, &PasswordEdit::changed, [this] { ++changes; });
        QObject::connect(&field, &PasswordEdit::clicked, [this] { ++clicks; });
        QObject::connect(&field, &PasswordEdit::dragCompleted, [this](int effect) { effects.push_back(effect); });
    }

    void setUp(const char* text, std::size_t selStart, std::size_t selLength)
    {
        field.SetText(SecretText(text));
        field.SetSelStart(selStart);
        field.SetSelLength(selLength);
        changes = 0;
    }

    QPoint centre() const { return {field.width() / 2, field.height() / 2}; }

    DragProbe field;
    int changes = 0;
    int clicks = 0;
    std::vector<int> effects;
};

using PasswordEditKeys = PasswordEditTest;

TEST_F(PasswordEditKeys, EditingKeysActOnTheSelectionOrNextToTheCaret)
{
    struct Case
    {
        const char* text;
        std::size_t selStart;
        std::size_t selLength;
        int key;
        Qt::KeyboardModifiers modifiers;
        QString typed;
        const char* result;
        std::size_t caret;
        int changes;
        // Refused audibly: a character the keypad cannot take.
        int refused = 0;
    };
    const Case cases[] = {
        {"abc", 1, 1, Qt::Key_X, Qt::NoModifier, "x", "axc", 2, 1},
        {"abc", 0, 3, Qt::Key_Z, Qt::ShiftModifier, "Z", "Z", 1, 1},
        {"abc", 3, 0, Qt::Key_Space, Qt::NoModifier, " ", "abc ", 4, 1},
        {"abc", 1, 1, Qt::Key_B, Qt::NoModifier, "b", "abc", 2, 0},
        {"abc", 3, 0, Qt::Key_Eacute, Qt::NoModifier, QString::fromUtf8("\xc3\xa9"), "abc", 3, 0, 1},
        {"abc", 1, 0, Qt::Key_sterling, Qt::ShiftModifier, QString::fromUtf8("\xc2\xa3"), "abc", 1, 0, 1},
        {"abc", 3, 0, Qt::Key_Tab, Qt::NoModifier, "\t", "abc", 3, 0},
        {"abc", 3, 0, Qt::Key_X, Qt::AltModifier, "x", "abc", 3, 0},
        {"abc", 1, 1, Qt::Key_Backspace, Qt::NoModifier, "", "ac", 1, 1},
        {"abc", 2, 0, Qt::Key_Backspace, Qt::NoModifier, "", "ac", 1, 1},
        {"abc", 0, 0, Qt::Key_Backspace, Qt::NoModifier, "", "abc", 0, 0},
        {"abc", 1, 2, Qt::Key_Delete, Qt::NoModifier, "", "a", 1, 1},
        {"abc", 1, 0, Qt::Key_Delete, Qt::NoModifier, "", "ac", 1, 1},
        {"abc", 3, 0, Qt::Key_Delete, Qt::NoModifier, "", "abc", 3, 0},
        {"abc", 0, 1, Qt::Key_Delete, Qt::KeypadModifier, "", "bc", 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " key " + std::to_string(c.key) + " at " + std::to_string(c.selStart));
        setUp(c.text, c.selStart, c.selLength);
        field.refused = 0;

        sendKey(field, c.key, c.modifiers, c.typed);

        EXPECT_EQ(textOf(field), c.result);
        EXPECT_EQ(field.selStart(), c.caret);
        EXPECT_EQ(field.selLength(), 0u);
        EXPECT_EQ(changes, c.changes);
        EXPECT_EQ(field.refused, c.refused);
    }
}

TEST_F(PasswordEditKeys, MovementKeysPlaceTheCaretAndShiftKeepsTheOtherEndOfTheSelection)
{
    using Key = std::pair<int, Qt::KeyboardModifiers>;
    struct Case
    {
        std::size_t selStart;
        std::size_t selLength;
        std::vector<Key> keys;
        std::size_t resultStart;
        std::size_t resultLength;
    };
    const Qt::KeyboardModifiers none = Qt::NoModifier;
    const Qt::KeyboardModifiers shift = Qt::ShiftModifier;
    const Case cases[] = {
        {2, 0, {{Qt::Key_Home, none}}, 0, 0},
        {1, 0, {{Qt::Key_End, none}}, 4, 0},
        {2, 0, {{Qt::Key_Left, none}}, 1, 0},
        {0, 0, {{Qt::Key_Left, none}}, 0, 0},
        {4, 0, {{Qt::Key_Right, none}}, 4, 0},
        {1, 2, {{Qt::Key_Left, none}}, 1, 0},
        {1, 2, {{Qt::Key_Right, none}}, 3, 0},
        {2, 0, {{Qt::Key_Left, shift}, {Qt::Key_Left, shift}}, 0, 2},
        {2, 0, {{Qt::Key_Right, shift}}, 2, 1},
        {1, 2, {{Qt::Key_Left, shift}}, 1, 1},
        {1, 2, {{Qt::Key_Home, shift}}, 0, 1},
        {2, 0, {{Qt::Key_Left, shift}, {Qt::Key_End, shift}}, 2, 2},
        {1, 2, {{Qt::Key_Right, Qt::ControlModifier | Qt::ShiftModifier}}, 1, 3},
        {2, 0, {{Qt::Key_A, Qt::ControlModifier}}, 0, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("from " + std::to_string(c.selStart) + "+" + std::to_string(c.selLength) + " first key " +
                     std::to_string(c.keys.front().first));
        setUp("abcd", c.selStart, c.selLength);

        for (const auto& [key, modifiers] : c.keys) {
            EXPECT_TRUE(sendKey(field, key, modifiers));
        }

        EXPECT_EQ(field.selStart(), c.resultStart);
        EXPECT_EQ(field.selLength(), c.resultLength);
        EXPECT_EQ(textOf(field), "abcd");
        EXPECT_EQ(changes, 0);
    }
}

TEST_F(PasswordEditKeys, KeysTheFieldDoesNotUseGoOnToItsParent)
{
    setUp("abc", 1, 1);
    const std::pair<int, Qt::KeyboardModifiers> keys[] = {
        {Qt::Key_Escape, Qt::NoModifier}, {Qt::Key_Return, Qt::NoModifier}, {Qt::Key_F1, Qt::NoModifier},
        {Qt::Key_Up, Qt::NoModifier},     {Qt::Key_Z, Qt::ControlModifier},
    };
    for (const auto& [key, modifiers] : keys) {
        EXPECT_FALSE(sendKey(field, key, modifiers)) << "key " << key;
    }
    EXPECT_EQ(textOf(field), "abc");
    EXPECT_EQ(field.selStart(), 1u);
    EXPECT_EQ(field.selLength(), 1u);
}

TEST_F(PasswordEditKeys, ClipboardKeysNeitherReadNorWriteTheClipboard)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText(QStringLiteral("sentinel"));
    struct Case
    {
        int key;
        Qt::KeyboardModifiers modifiers;
        QString typed;
        const char* result;
    };
    const Case cases[] = {
        {Qt::Key_C, Qt::ControlModifier, "\x03", "secret"}, {Qt::Key_X, Qt::ControlModifier, "\x18", "secret"},
        {Qt::Key_V, Qt::ControlModifier, "\x16", "secret"}, {Qt::Key_Insert, Qt::ControlModifier, "", "secret"},
        {Qt::Key_Insert, Qt::ShiftModifier, "", "secret"},  {Qt::Key_Copy, Qt::NoModifier, "", "secret"},
        {Qt::Key_Cut, Qt::NoModifier, "", "secret"},        {Qt::Key_Paste, Qt::NoModifier, "", "secret"},
        {Qt::Key_Delete, Qt::ShiftModifier, "\x7f", "sec"}, // deletes, does not cut
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("key " + std::to_string(c.key));
        setUp("secret", 3, 3);

        EXPECT_TRUE(sendKey(field, c.key, c.modifiers, c.typed));

        EXPECT_EQ(textOf(field), c.result);
        EXPECT_EQ(clipboard->text(), QStringLiteral("sentinel"));
    }

    // The X11 way of pasting the primary selection.
    setUp("secret", 0, 0);
    sendMouse(field, QEvent::MouseButtonPress, centre(), Qt::MiddleButton, Qt::MiddleButton);
    sendMouse(field, QEvent::MouseButtonRelease, centre(), Qt::MiddleButton, Qt::NoButton);
    EXPECT_EQ(textOf(field), "secret");
    EXPECT_EQ(clicks, 0);
}

using PasswordEditFieldView = PasswordEditTest;

TEST_F(PasswordEditFieldView, SetTextRaisesChangeOnlyForADifferentTextAndClearsTheSelection)
{
    field.SetText(SecretText("abc"));
    EXPECT_EQ(changes, 1);

    field.SetSelStart(1);
    field.SetSelLength(2);
    field.SetText(SecretText("abc"));
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(field.selStart(), 0u);
    EXPECT_EQ(field.selLength(), 0u);

    field.SetText(SecretText("abd"));
    field.SetText(SecretText());
    EXPECT_EQ(changes, 3);
    EXPECT_EQ(textOf(field), "");
}

TEST_F(PasswordEditFieldView, SelectionIsClippedAtTheEndOfTheText)
{
    setUp("abc", 5, 0);
    EXPECT_EQ(field.selStart(), 3u);

    field.SetSelStart(1);
    field.SetSelLength(10);
    EXPECT_EQ(field.selStart(), 1u);
    EXPECT_EQ(field.selLength(), 2u);

    field.SetSelStart(2);
    EXPECT_EQ(field.selStart(), 2u);
    EXPECT_EQ(field.selLength(), 0u);
}

TEST_F(PasswordEditFieldView, KeystrokesAreHandledByTheEventLoopAfterTheCaller)
{
    setUp("abc", 3, 0);

    field.SendKeystroke(Keystroke::Backspace);
    EXPECT_EQ(textOf(field), "abc");
    QCoreApplication::processEvents();
    EXPECT_EQ(textOf(field), "ab");

    field.SetSelStart(0);
    field.SendKeystroke(Keystroke::Delete);
    EXPECT_EQ(textOf(field), "ab");
    QCoreApplication::processEvents();
    EXPECT_EQ(textOf(field), "b");
    EXPECT_EQ(changes, 2);
}

TEST(PasswordEditFocus, FocusRequestBeforeShowIsDroppedAndTheFirstControlGetsTheFocus)
{
    QWidget window;
    auto* button = new QPushButton(QStringLiteral("A"), &window);
    auto* field = new PasswordEdit(&window);
    button->setGeometry(0, 0, 40, 25);
    field->setGeometry(50, 0, 153, 25);

    field->SetFocus();
    EXPECT_EQ(window.focusWidget(), nullptr);

    ASSERT_TRUE(showActive(window));
    EXPECT_TRUE(button->hasFocus());

    field->SetFocus();
    EXPECT_TRUE(field->hasFocus());
}

TEST(PasswordEditLogic, KeypadLogicDrivesTheFieldThroughItsEvents)
{
    QWidget window;
    auto* button = new QPushButton(QStringLiteral("A"), &window);
    auto* field = new DragProbe(&window);
    button->setGeometry(0, 0, 40, 25);
    field->setGeometry(50, 0, 153, 25);
    PasswordField logic(*field);
    QObject::connect(field, &PasswordEdit::changed, [&logic] { logic.Changed(); });
    QObject::connect(field, &PasswordEdit::clicked, [&logic] { logic.Clicked(); });
    QObject::connect(field, &PasswordEdit::dragCompleted, [&logic](int effect) { logic.DragCompleted(effect); });
    ASSERT_TRUE(showActive(window));

    for (const char glyph : std::string("abc")) {
        logic.AppendGlyph(glyph);
    }
    EXPECT_EQ(textOf(*field), "abc");
    EXPECT_TRUE(field->hasFocus());
    EXPECT_EQ(field->selStart(), 0u);
    EXPECT_EQ(field->selLength(), 3u);

    logic.Back();
    QCoreApplication::processEvents();
    EXPECT_EQ(textOf(*field), "ab");
    EXPECT_EQ(field->selLength(), 2u);

    // Typing replaces the whole selection, and the logic selects the result again.
    sendKey(*field, Qt::Key_X, Qt::NoModifier, "x");
    EXPECT_EQ(textOf(*field), "x");
    EXPECT_EQ(field->selLength(), 1u);

    const QPoint centre(field->width() / 2, field->height() / 2);
    press(*field, centre);
    moveTo(*field, centre + QPoint(QApplication::startDragDistance(), 0));
    EXPECT_EQ(field->bytesDuringDrag, "x");
    EXPECT_EQ(textOf(*field), "") << "a move empties the field";
}

using PasswordEditMouse = PasswordEditTest;

TEST_F(PasswordEditMouse, ClickPlacesTheCaretAtTheNearestCharacterBoundary)
{
    struct Case
    {
        int x;
        std::size_t caret;
    };
    const int width = field.sizeHint().width();
    const Case cases[] = {{3, 0}, {width / 2, 2}, {width - 3, 4}};
    for (const Case& c : cases) {
        SCOPED_TRACE("x " + std::to_string(c.x));
        setUp("abcd", 0, 0);
        clicks = 0;

        press(field, {c.x, centre().y()});
        release(field, {c.x, centre().y()});

        EXPECT_EQ(field.selStart(), c.caret);
        EXPECT_EQ(field.selLength(), 0u);
        EXPECT_EQ(clicks, 1);
    }
}

TEST_F(PasswordEditMouse, OnlyAPressOnTheSelectionFollowedByTheDragDistanceStartsADrag)
{
    const int distance = QApplication::startDragDistance();

    // Short of the distance it stays a click.
    setUp("abcd", 0, 4);
    press(field, centre());
    moveTo(field, centre() + QPoint(distance - 1, 0));
    release(field, centre() + QPoint(distance - 1, 0));
    EXPECT_EQ(field.drags, 0);
    EXPECT_EQ(clicks, 1);

    // Away from the selection a long move selects instead.
    setUp("abcd", 0, 1);
    const QPoint right(field.width() - 3, centre().y());
    press(field, right);
    moveTo(field, {3, centre().y()});
    release(field, {3, centre().y()});
    EXPECT_EQ(field.drags, 0);
    EXPECT_EQ(field.selStart(), 0u);
    EXPECT_EQ(field.selLength(), 4u);
    EXPECT_EQ(clicks, 2);

    setUp("abcd", 0, 4);
    press(field, centre());
    moveTo(field, centre() + QPoint(0, distance));
    release(field, centre() + QPoint(0, distance));
    EXPECT_EQ(field.drags, 1);
    EXPECT_EQ(clicks, 2) << "a drag is not a click";
}

using PasswordEditDrag = PasswordEditTest;

TEST_F(PasswordEditDrag, DragCarriesTheSelectedTextAndReportsTheEffectWithoutClearing)
{
    struct Case
    {
        Qt::DropAction answer;
        int effect;
        bool readableAfterwards;
    };
    // A target reads the text after the drag returns, so only a drag that dropped nothing is wiped at once.
    const Case cases[] = {
        {Qt::MoveAction, 2, true},    {Qt::TargetMoveAction, 2, true},
        {Qt::CopyAction, 1, true},    {Qt::LinkAction, 4, true},
        {Qt::IgnoreAction, 0, false}, {static_cast<Qt::DropAction>(Qt::ActionMask), 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("action " + std::to_string(c.answer));
        setUp("abcd", 1, 2);
        effects.clear();
        field.answer = c.answer;

        press(field, centre());
        moveTo(field, centre() + QPoint(QApplication::startDragDistance(), 0));

        EXPECT_EQ(effects, std::vector<int>{c.effect});
        EXPECT_EQ(field.bytesDuringDrag, "bc");
        ASSERT_TRUE(field.payload);
        EXPECT_EQ(field.payload->formats(), (QStringList{"text/plain", "x-kde-passwordManagerHint"}));
        EXPECT_EQ(field.payload->data("x-kde-passwordManagerHint"), "secret");
        EXPECT_FALSE(field.payload->hasFormat("text/html"));
        EXPECT_EQ(field.payload->data("text/plain"), c.readableAfterwards ? QByteArray("bc") : QByteArray());
        // What the payload handed out during the drag is overwritten along with it, where Qt would free it as is.
        EXPECT_EQ(field.shared, c.readableAfterwards ? QByteArray("bc") : QByteArray(2, '\0'));
        field.payload.reset();
        EXPECT_EQ(field.shared, QByteArray(2, '\0'));

        EXPECT_EQ(textOf(field), "abcd");
        EXPECT_EQ(changes, 0);
    }
}

TEST_F(PasswordEditDrag, MoveEmptiesOnlyOnceTheTextWasHandedOver)
{
    enum class Then
    {
        ReadLate,
        WipeUnread,
        DeleteUnread
    };
    struct Case
    {
        const char* name;
        Then then;
        std::vector<int> effects;
    };
    // On X11 a target asks for the text only after the drop, so the move is settled afterwards: by the first
    // read, or by the payload's end without one (a target that lied about the move).
    const Case cases[] = {
        {"read after the drop", Then::ReadLate, {2}},
        {"never read, payload wiped", Then::WipeUnread, {0}},
        {"never read, payload deleted", Then::DeleteUnread, {0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        setUp("abcd", 0, 4);
        effects.clear();
        field.reads = false;

        press(field, centre());
        moveTo(field, centre() + QPoint(QApplication::startDragDistance(), 0));
        EXPECT_TRUE(effects.empty()) << "a move is not settled before the text was asked for";

        auto* payload = static_cast<DragPayload*>(field.payload.get());
        switch (c.then) {
        case Then::ReadLate:
            EXPECT_EQ(payload->data("text/plain"), "abcd");
            // A second read settles nothing again.
            EXPECT_EQ(payload->handOver().view(), "abcd");
            break;
        case Then::WipeUnread:
            payload->wipe();
            break;
        case Then::DeleteUnread:
            break;
        }
        field.payload.reset();
        EXPECT_EQ(effects, c.effects);
    }
    field.reads = true;
}

TEST(PasswordEditDragOffscreen, RealDragThatDropsNothingLeavesTheText)
{
    PasswordEdit field;
    field.resize(field.sizeHint());
    std::vector<int> effects;
    QObject::connect(&field, &PasswordEdit::dragCompleted, [&effects](int effect) { effects.push_back(effect); });
    field.SetText(SecretText("abcd"));
    field.SetSelLength(4);
    const QPoint centre(field.width() / 2, field.height() / 2);

    press(field, centre);
    moveTo(field, centre + QPoint(QApplication::startDragDistance(), 0));

    EXPECT_EQ(effects, std::vector<int>{0});
    EXPECT_EQ(textOf(field), "abcd");
}

using PasswordEditPrivacy = PasswordEditTest;

TEST_F(PasswordEditPrivacy, PaintedMaskDependsOnlyOnTheLength)
{
    const auto render = [](const char* text) {
        PasswordEdit other;
        other.resize(other.sizeHint());
        other.SetText(SecretText(text));
        other.SetSelStart(1);
        other.SetSelLength(2);
        QImage image(other.size(), QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        other.render(&image);
        return image;
    };

    EXPECT_EQ(render("abcd"), render("W!z9"));
    EXPECT_NE(render("abcd"), render("abcde"));
}

TEST_F(PasswordEditPrivacy, AssistiveTechnologySeesTheMaskOnly)
{
    field.setAccessibleName(QStringLiteral("Password"));
    field.SetText(SecretText("hunter2"));
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&field);
    ASSERT_NE(accessible, nullptr);

    for (const QAccessible::Text t : {QAccessible::Name, QAccessible::Value, QAccessible::Description,
                                      QAccessible::Help, QAccessible::Accelerator}) {
        EXPECT_FALSE(accessible->text(t).contains(QStringLiteral("hunter2"))) << "text kind " << t;
    }
    EXPECT_EQ(accessible->text(QAccessible::Value), QStringLiteral("#######"));
    EXPECT_EQ(accessible->text(QAccessible::Name), QStringLiteral("Password"));
    EXPECT_TRUE(accessible->state().passwordEdit);
    // A screen reader can count the characters and read the mask, and change nothing.
    QAccessibleTextInterface* text = accessible->textInterface();
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->characterCount(), 7);
    EXPECT_EQ(text->text(0, 7), QStringLiteral("#######"));
    int start = -1;
    int end = -1;
    EXPECT_EQ(text->textAtOffset(2, QAccessible::LineBoundary, &start, &end), QStringLiteral("#######"));
    text->setSelection(0, 0, 7);
    text->setCursorPosition(3);
    EXPECT_EQ(text->cursorPosition(), static_cast<int>(field.caretPosition()));
    EXPECT_EQ(accessible->editableTextInterface(), nullptr);
}

TEST_F(PasswordEditPrivacy, InputMethodsLearnNothingAndDropsAreRefused)
{
    setUp("hunter2", 2, 3);

    EXPECT_FALSE(field.testAttribute(Qt::WA_InputMethodEnabled));
    EXPECT_FALSE(field.acceptDrops());
    const QWidget& widget = field;
    for (const Qt::InputMethodQuery query :
         {Qt::ImEnabled, Qt::ImSurroundingText, Qt::ImCurrentSelection, Qt::ImTextBeforeCursor, Qt::ImTextAfterCursor,
          Qt::ImCursorPosition, Qt::ImAnchorPosition, Qt::ImMaximumTextLength}) {
        EXPECT_FALSE(widget.inputMethodQuery(query).isValid()) << "query " << query;
    }
}

} // namespace

TEST_F(PasswordEditPrivacy, TypedCharacterIsOverwrittenInTheKeyEventItCameIn)
{
    setUp("", 0, 0);
    // Allocated, as the window system's text is; the event shares its buffer.
    const QString typed = QString::fromLatin1("q");
    QKeyEvent key(QEvent::KeyPress, Qt::Key_Q, Qt::NoModifier, typed);
    QApplication::sendEvent(&field, &key);
    EXPECT_EQ(textOf(field), "q");
    EXPECT_EQ(typed, QString(1, QChar(0)));

    // A literal lives in read-only memory and is left alone.
    QKeyEvent literal(QEvent::KeyPress, Qt::Key_W, Qt::NoModifier, QStringLiteral("w"));
    QApplication::sendEvent(&field, &literal);
    EXPECT_EQ(textOf(field), "qw");
}
