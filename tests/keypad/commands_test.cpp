#include "keypad_fixture.h"

namespace {

using CommandsTest = KeypadFixture;

TEST_F(CommandsTest, ShortcutKeysActAndAreSwallowedWhateverTheModifiers)
{
    for (int shift : {0, 1, 2, 4, 7}) {
        SCOPED_TRACE(shift);
        const bool caps = keypad.model.CapsLock;
        const bool shiftLock = keypad.model.ShiftLock;
        const bool menu = keypad.model.MenuShown;
        const int closes = window.closeCount;

        std::uint16_t code = kKeyCodeF2;
        keypad.commands.KeyDown(code, shift);
        EXPECT_EQ(code, 0);
        EXPECT_NE(keypad.model.CapsLock, caps);

        code = kKeyCodeF3;
        keypad.commands.KeyDown(code, shift);
        EXPECT_EQ(code, 0);
        EXPECT_NE(keypad.model.ShiftLock, shiftLock);

        code = kKeyCodeF4;
        keypad.commands.KeyDown(code, shift);
        EXPECT_EQ(code, 0);
        EXPECT_NE(keypad.model.MenuShown, menu);

        code = kKeyCodeEscape;
        keypad.commands.KeyDown(code, shift);
        EXPECT_EQ(code, 0);
        EXPECT_EQ(window.closeCount, closes + 1);
    }
}

TEST_F(CommandsTest, OtherKeysPassThroughUntouched)
{
    // F1, F5, Tab, Enter, Backspace, the letters' virtual key codes, and 0xFFFF.
    for (std::uint16_t key : {112, 116, 9, 13, 8, 65, 81, 82, 83, 0xFFFF}) {
        std::uint16_t code = key;
        keypad.commands.KeyDown(code, 0);
        EXPECT_EQ(code, key);
    }
    EXPECT_TRUE(window.log.empty());
    EXPECT_EQ(field.changeCount, 0);
}

TEST_F(CommandsTest, ApplyMenuStateChangesTheItemsThenTheHeight)
{
    keypad.commands.ApplyMenuState(false);
    keypad.commands.ApplyMenuState(true);

    const std::vector<std::string> expected = {
        "visible mnuExit off",
        "visible mnuShowHideMenu off",
        "menu caption mnuShowHideMenu Show Menu",
        "visible mnuHelp off",
        "height 2600",
        "visible mnuExit on",
        "visible mnuShowHideMenu on",
        "menu caption mnuShowHideMenu Hide Menu",
        "visible mnuHelp on",
        "height 2815",
    };
    EXPECT_EQ(window.log, expected);
}

TEST_F(CommandsTest, F4TwiceLeavesTheWindowAsItWas)
{
    keypad.model.MenuShown = true;
    keypad.commands.ApplyMenuState(true);

    std::uint16_t code = kKeyCodeF4;
    keypad.commands.KeyDown(code, 0);
    EXPECT_FALSE(keypad.model.MenuShown);
    EXPECT_EQ(window.height, kHeightWithoutMenu);
    EXPECT_EQ(window.menuCaption[MenuItem::ShowHideMenu], "Show Menu");

    code = kKeyCodeF4;
    keypad.commands.KeyDown(code, 0);
    EXPECT_TRUE(keypad.model.MenuShown);
    EXPECT_EQ(window.height, kHeightWithMenu);
    EXPECT_EQ(window.menuCaption[MenuItem::ShowHideMenu], "Hide Menu");
    for (MenuItem item : {MenuItem::Exit, MenuItem::ShowHideMenu, MenuItem::Help}) {
        EXPECT_TRUE(window.menuVisible[item]);
    }
}

// A view whose window changes fail, to show that the menu flag follows the window.
class FailingHeightWindow : public RecordingWindow
{
public:
    void SetWindowHeight(int) override { throw std::runtime_error("window gone"); }
};

TEST(CommandsOrder, TheMenuFlagIsStoredOnlyAfterTheWindowChanged)
{
    FakeField field;
    FailingHeightWindow window;
    Keypad keypad{KeypadServices{window, field, window, window, window, window}};

    EXPECT_THROW(keypad.commands.ToggleMenu(), std::runtime_error);
    EXPECT_FALSE(keypad.model.MenuShown);
}

TEST_F(CommandsTest, MenuClicksAreRouted)
{
    const std::pair<MenuItem, const char*> routes[] = {
        {MenuItem::Exit, "close"},          {MenuItem::HelpFAQ, "faq"},     {MenuItem::HelpLicense, "license"},
        {MenuItem::HelpContact, "contact"}, {MenuItem::HelpAbout, "about"},
    };
    for (const auto& [item, logged] : routes) {
        window.log.clear();
        keypad.commands.MenuClicked(item);
        EXPECT_EQ(window.log, std::vector<std::string>{logged}) << menuDef(item).controlName;
    }

    window.log.clear();
    keypad.commands.MenuClicked(MenuItem::Help);
    EXPECT_TRUE(window.log.empty());

    keypad.commands.MenuClicked(MenuItem::ShowHideMenu);
    EXPECT_TRUE(keypad.model.MenuShown);
    EXPECT_EQ(window.log.back(), "height 2815");
}

} // namespace
