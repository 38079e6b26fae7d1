#include "keypad/key_table.h"
#include "keypad_fixture.h"

#include <set>

namespace {

using KeysTest = KeypadFixture;

TEST(KeyTable, NamesAreUniqueAndGroupsComeInRelabellingOrder)
{
    std::set<std::string_view> names;
    for (std::size_t i = 0; i < kKeyTable.size(); ++i) {
        const KeyDef& key = kKeyTable[i];
        EXPECT_TRUE(names.insert(key.controlName).second) << key.controlName;
        EXPECT_EQ(key.group, i < 18 ? LockGroup::Symbols : LockGroup::Letters) << key.controlName;
        EXPECT_EQ(findKey(key.controlName), i);
    }
    EXPECT_EQ(kKeyTable[18].controlName, "cmdA");
    EXPECT_EQ(kKeyTable[43].controlName, "cmdZ");
    EXPECT_FALSE(findKey("cmdSpace"));
}

TEST_F(KeysTest, EachKeyAppendsWhatItShowsUnderEveryLockCombination)
{
    struct Case
    {
        bool caps;
        bool shift;
        const char* key;
        const char* appended;
    };
    const Case cases[] = {
        {false, false, "cmdA", "a"},       {false, false, "cmd7", "7"},      {false, false, "cmdDash", "-"},
        {false, true, "cmdA", "a"},        {false, true, "cmd7", "&"},       {false, true, "cmdBSlash", "|"},
        {true, false, "cmdZ", "Z"},        {true, false, "cmd1", "1"},       {true, false, "cmdPeriod", "."},
        {true, true, "cmdQ", "Q"},         {true, true, "cmdLBracket", "{"}, {true, true, "cmd3", "#"},
        {false, false, "cmdBSlash", "\\"}, {false, true, "cmdEquals", "+"},  {false, true, "cmdComma", "<"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.key) + (c.caps ? " caps" : "") + (c.shift ? " shift" : ""));
        keypad.field.Clear();
        if (keypad.model.CapsLock != c.caps) {
            keypad.keys.ToggleCaps();
        }
        if (keypad.model.ShiftLock != c.shift) {
            keypad.keys.ToggleShift();
        }
        click(c.key);
        EXPECT_EQ(field.text(), c.appended);
    }
}

TEST_F(KeysTest, ShiftedSevenShowsADoubledAmpersandCaptionAndAppendsOneAmpersand)
{
    keypad.keys.ToggleShift();
    EXPECT_EQ(window.labels["cmd7"], "&&");

    clickAll({"cmd7", "cmd7"});
    EXPECT_EQ(field.text(), "&&");

    keypad.keys.ToggleShift();
    EXPECT_EQ(window.labels["cmd7"], "7");
}

TEST_F(KeysTest, TheLabelDecidesNotTheLockFlag)
{
    // A label and a flag out of step (as start-up briefly has them) must still append what the key shows.
    keypad.model.CapsLock = true;
    click("cmdA");
    EXPECT_EQ(field.text(), "a");
}

TEST_F(KeysTest, CapsTwiceRestoresTheLettersAndNeverTouchesTheSymbols)
{
    keypad.keys.ToggleCaps();
    EXPECT_TRUE(keypad.model.CapsLock);
    EXPECT_EQ(window.labels.size(), 26u);
    EXPECT_EQ(window.labels["cmdA"], "A");
    EXPECT_EQ(window.labels["cmdZ"], "Z");

    keypad.keys.ToggleCaps();
    EXPECT_FALSE(keypad.model.CapsLock);
    EXPECT_EQ(window.labels.size(), 26u) << "no Symbols key was relabelled";
    EXPECT_EQ(window.labels["cmdA"], "a");
    EXPECT_EQ(window.labels["cmdZ"], "z");
    EXPECT_EQ(window.log.front(), "label cmdA A");
    EXPECT_EQ(window.log[25], "label cmdZ Z");
}

TEST_F(KeysTest, ShiftRelabelsTheSymbolsInTableOrderAndNoLetter)
{
    keypad.keys.ToggleShift();

    ASSERT_EQ(window.log.size(), 18u);
    EXPECT_EQ(window.log.front(), "label cmd1 !");
    EXPECT_EQ(window.log[9], "label cmd0 )");
    EXPECT_EQ(window.log.back(), "label cmdPeriod >");
}

TEST_F(KeysTest, EachToggleEndsWithTheFieldFocusedAndWhollySelectedEvenWhenEmpty)
{
    for (bool withText : {false, true}) {
        SCOPED_TRACE(withText);
        if (withText) {
            clickAll({"cmdX", "cmdY"});
        }
        for (auto toggle : {&KeypadKeys::ToggleCaps, &KeypadKeys::ToggleShift}) {
            field.focused = false;
            field.SetSelStart(withText ? 1 : 0);
            (keypad.keys.*toggle)();
            EXPECT_TRUE(field.focused);
            EXPECT_TRUE(field.wholeTextSelected());
        }
    }
}

TEST_F(KeysTest, AnUnknownKeyIsAnError)
{
    EXPECT_THROW(keypad.keys.PressKey("cmdSpace"), std::invalid_argument);
    EXPECT_EQ(field.text(), "");
}

} // namespace
