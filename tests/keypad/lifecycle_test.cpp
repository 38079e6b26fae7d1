#include "keypad/module1.h"
#include "keypad_fixture.h"
#include "settings/settings_store.h"
#include "support/temp_dir.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

using LifecycleTest = KeypadFixture;

const std::string kTitle = "Glyphward OSK 0.0.10 - - by: Ansel Verrick - - glyphward.example";

TEST_F(LifecycleTest, StartUpWithEverythingFalseRunsItsStepsInOrder)
{
    window.settings = {{"menu.dd", false}, {"caps.dd", false}, {"shift.dd", false}};
    field.shown = false;

    keypad.StartUp();

    const std::vector<std::string> expected = {
        "read menu.dd",
        "visible mnuExit off",
        "visible mnuShowHideMenu off",
        "menu caption mnuShowHideMenu Show Menu",
        "visible mnuHelp off",
        "height 2600",
        "read caps.dd",
        "read shift.dd",
        "topmost on",
        "caption " + kTitle,
    };
    EXPECT_EQ(window.log, expected);
    EXPECT_TRUE(window.labels.empty()) << "small letters and unshifted symbols are the design captions";
    EXPECT_FALSE(keypad.model.MenuShown);
    EXPECT_FALSE(keypad.model.CapsLock);
    EXPECT_FALSE(keypad.model.ShiftLock);
}

TEST_F(LifecycleTest, StartUpWithEverythingTrueRelabelsBothGroupsBeforeTheWindowIsShown)
{
    window.settings = {{"menu.dd", true}, {"caps.dd", true}, {"shift.dd", true}};
    field.shown = false;

    EXPECT_NO_THROW(keypad.StartUp());

    const std::vector<std::string> expected = {
        "read menu.dd",
        "visible mnuExit on",
        "visible mnuShowHideMenu on",
        "menu caption mnuShowHideMenu Hide Menu",
        "visible mnuHelp on",
        "height 2815",
        "read caps.dd",
        "read shift.dd",
        "topmost on",
        "caption " + kTitle,
    };
    EXPECT_EQ(window.logWithoutLabels(), expected);
    // The letters are relabelled between reading caps.dd and shift.dd, the symbols after shift.dd.
    const auto at = [&](const std::string& line) { return std::find(window.log.begin(), window.log.end(), line); };
    EXPECT_LT(at("read caps.dd"), at("label cmdA A"));
    EXPECT_LT(at("label cmdZ Z"), at("read shift.dd"));
    EXPECT_LT(at("read shift.dd"), at("label cmd1 !"));
    EXPECT_LT(at("label cmdPeriod >"), at("topmost on"));
    EXPECT_EQ(window.labels["cmd7"], "&&");
    EXPECT_TRUE(keypad.model.MenuShown);
    EXPECT_TRUE(keypad.model.CapsLock);
    EXPECT_TRUE(keypad.model.ShiftLock);
    EXPECT_FALSE(field.focused);
}

TEST_F(LifecycleTest, TheTitleTextsAreSetForTheWholeProgram)
{
    keypad.StartUp();

    EXPECT_EQ(window.caption, kTitle);
    EXPECT_EQ(Module1::TitleName, "Glyphward OSK ");
    EXPECT_EQ(Module1::VersionText, "0.0.10");
    EXPECT_EQ(Module1::TitleCredit, " - - by: Ansel Verrick - - glyphward.example");
    EXPECT_EQ(Module1::BuildVersionText(1, 20, 300), "1.20.300");
}

TEST_F(LifecycleTest, EveryShutDownWritesAllThreeFilesThenClosesTheAboutWindow)
{
    keypad.StartUp();
    keypad.keys.ToggleCaps();
    clickAll({"cmdA", "cmdB"});
    window.log.clear();

    keypad.ShutDown();

    const std::vector<std::string> expected = {
        "write menu.dd true",
        "write caps.dd true",
        "write shift.dd false",
        "close about",
    };
    EXPECT_EQ(window.log, expected);
}

// Start-up and shut-down through the real settings store in a directory of its own.
class RestartTest : public ::testing::Test
{
protected:
    struct NoSync : DiskSync
    {
        void SyncFile(const std::filesystem::path&) override {}
        void SyncDirectory(const std::filesystem::path&) noexcept override {}
    };

    // One run of the program: start, let `use` act on the keypad, close.
    template <typename Use> void run(Use use)
    {
        FakeField field;
        RecordingWindow window;
        DirectorySettingsStore store(m_dir, m_sync, m_errors);
        Keypad keypad{KeypadServices{window, field, window, window, window, store}};
        field.onChange = [&] { keypad.field.Changed(); };
        keypad.StartUp();
        field.shown = true;
        use(keypad, window);
        keypad.ShutDown();
    }

    std::string bytesOf(const char* name)
    {
        std::ifstream in(m_dir / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    TempDir m_tempDir;
    std::filesystem::path m_dir = m_tempDir.path();
    NoSync m_sync;
    std::ostringstream m_errors;
};

TEST_F(RestartTest, CapsLockSetBeforeEscIsRestoredOnTheNextStart)
{
    run([](Keypad& keypad, RecordingWindow&) {
        std::uint16_t code = kKeyCodeF2;
        keypad.commands.KeyDown(code, 0);
        code = kKeyCodeEscape;
        keypad.commands.KeyDown(code, 0);
    });
    EXPECT_EQ(bytesOf("caps.dd"), "#TRUE#\r\n");
    EXPECT_EQ(bytesOf("shift.dd"), "#FALSE#\r\n");
    EXPECT_EQ(bytesOf("menu.dd"), "#TRUE#\r\n") << "a fresh start shows the menu";

    run([](Keypad& keypad, RecordingWindow& window) {
        EXPECT_TRUE(keypad.model.CapsLock);
        EXPECT_FALSE(keypad.model.ShiftLock);
        EXPECT_EQ(window.labels["cmdQ"], "Q");
    });
    EXPECT_EQ(m_errors.str(), "");
}

} // namespace
