#include "keypad_fixture.h"

namespace {

using PasswordTest = KeypadFixture;

TEST_F(PasswordTest, ClickedKeysComposeTheTextWhollySelectedWithFocusInTheField)
{
    clickAll({"cmdA", "cmdB", "cmdC"});

    EXPECT_EQ(field.text(), "abc");
    EXPECT_TRUE(field.wholeTextSelected());
    EXPECT_TRUE(field.focused);
}

TEST_F(PasswordTest, GlyphGoesToTheEndWhateverTheCaretPosition)
{
    clickAll({"cmdA", "cmdB"});
    field.SetSelStart(0);

    click("cmdC");

    EXPECT_EQ(field.text(), "abc");
}

TEST_F(PasswordTest, BackRemovesTheLastCharacterAfterTheHandlerReturns)
{
    clickAll({"cmdA", "cmdB", "cmdC"});

    keypad.field.Back();
    EXPECT_EQ(field.text(), "abc") << "the keystroke is queued, not handled inside Back";
    field.runEvents();

    EXPECT_EQ(field.text(), "ab");
    EXPECT_TRUE(field.wholeTextSelected());
    EXPECT_TRUE(field.focused);
}

TEST_F(PasswordTest, BackAndClearOnAnEmptyFieldRaiseNoChange)
{
    keypad.field.Back();
    field.runEvents();
    keypad.field.Clear();

    EXPECT_EQ(field.text(), "");
    EXPECT_EQ(field.changeCount, 0);
}

TEST_F(PasswordTest, DelLeavesTheTextWithTheCaretAtTheEnd)
{
    clickAll({"cmdA", "cmdB", "cmdC"});
    const int changes = field.changeCount;

    keypad.field.Delete();
    field.runEvents();

    EXPECT_EQ(field.text(), "abc");
    EXPECT_EQ(field.changeCount, changes);
    EXPECT_EQ(field.selStart, 3u);
    EXPECT_EQ(field.selLength, 0u);
}

TEST_F(PasswordTest, ClearEmptiesTheField)
{
    clickAll({"cmdA", "cmdB"});

    keypad.field.Clear();

    EXPECT_EQ(field.text(), "");
    EXPECT_TRUE(field.wholeTextSelected());
}

TEST_F(PasswordTest, OnlyADropCompletedAsAMoveEmptiesTheField)
{
    struct Case
    {
        int effect;
        const char* left;
    };
    // Drop effects: none, copy, move, link, and a value no target should report.
    for (const Case c : {Case{0, "abc"}, Case{1, "abc"}, Case{2, ""}, Case{4, "abc"}, Case{-1, "abc"}}) {
        SCOPED_TRACE(c.effect);
        keypad.field.Clear();
        clickAll({"cmdA", "cmdB", "cmdC"});

        keypad.field.DragCompleted(c.effect);

        EXPECT_EQ(field.text(), c.left);
    }
}

TEST_F(PasswordTest, EachTypedCharacterReplacesEverythingBefore)
{
    field.SetFocus();
    for (char c : std::string("xyz")) {
        field.type(c);
        EXPECT_TRUE(field.wholeTextSelected());
    }
    EXPECT_EQ(field.text(), "z");
}

TEST_F(PasswordTest, SelectAllBeforeTheWindowIsShownSetsTheSelectionWithoutError)
{
    clickAll({"cmdA", "cmdB"});
    field.shown = false;
    field.focused = false;
    field.SetSelStart(1);

    EXPECT_NO_THROW(keypad.field.SelectAll());

    EXPECT_FALSE(field.focused);
    EXPECT_TRUE(field.wholeTextSelected());
}

} // namespace
