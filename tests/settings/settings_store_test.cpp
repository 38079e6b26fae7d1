#include "settings/settings_store.h"
#include "support/temp_dir.h"
#include "windows/native.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

std::string readBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void writeBytes(const fs::path& path, std::string_view bytes)
{
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::string> entries(const fs::path& dir)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Counts the flushes and can fail the one between writing the temporary file and renaming it.
struct ScriptedSync : DiskSync
{
    void SyncFile(const fs::path& file) override
    {
        ++fileSyncs;
        if (failFile) {
            throw std::system_error(EIO, std::generic_category(), "flush to disk");
        }
        EXPECT_EQ(readBytes(file).size() >= 8, true) << "the data is written before it is flushed";
    }
    void SyncDirectory(const fs::path&) noexcept override { ++directorySyncs; }

    bool failFile = false;
    int fileSyncs = 0;
    int directorySyncs = 0;
};

class SettingsStoreTest : public ::testing::Test
{
protected:
    TempDir dir;
    ScriptedSync sync;
    std::ostringstream errors;
    DirectorySettingsStore store{dir.path(), sync, errors};
};

TEST_F(SettingsStoreTest, WritesTheExactBytesAndReadsThemBack)
{
    for (bool value : {true, false, true}) {
        store.WriteSetting("caps.dd", value);
        EXPECT_EQ(readBytes(dir / "caps.dd"), value ? std::string("#TRUE#\r\n") : std::string("#FALSE#\r\n"));
        EXPECT_EQ(store.ReadSetting("caps.dd"), value);
    }
    store.WriteSetting("menu.dd", false);
    EXPECT_FALSE(store.ReadSetting("menu.dd"));
    EXPECT_EQ(entries(dir.path()), (std::vector<std::string>{"caps.dd", "menu.dd"})) << "no temporary file left";
    EXPECT_EQ(sync.fileSyncs, 4);
    EXPECT_EQ(sync.directorySyncs, 4);
    EXPECT_EQ(errors.str(), "");
}

TEST_F(SettingsStoreTest, AnythingButTheTwoNotationsGivesTheDefault)
{
    struct Case
    {
        const char* what;
        std::string bytes;
        std::optional<bool> expected; // nothing: the setting's default
    };
    const Case cases[] = {
        {"true with CR LF", "#TRUE#\r\n", true},
        {"false with CR LF", "#FALSE#\r\n", false},
        {"LF only", "#TRUE#\n", true},
        {"no line end", "#FALSE#", false},
        {"CR only", "#TRUE#\r", true},
        {"blanks around", " \t#TRUE#  \r\n", true},
        {"a second field", "#FALSE#,#TRUE#\r\n", false},
        {"a second line", "#TRUE#\r\n#FALSE#\r\n", true},
        {"empty", "", std::nullopt},
        {"lower case", "#true#\r\n", std::nullopt},
        {"bare word", "TRUE\r\n", std::nullopt},
        {"on the second line", "\r\n#TRUE#\r\n", std::nullopt},
        {"trailing junk", "#TRUE#x\r\n", std::nullopt},
        {"binary junk", std::string("\0\x01\xff#TRUE#\x80", 8), std::nullopt},
        {"a NUL inside", std::string("#TR\0UE#", 7), std::nullopt},
        {"huge first line", "#TRUE#" + std::string(4 << 20, ' ') + "\r\n", std::nullopt},
        {"huge file", "#TRUE#\r\n" + std::string(4 << 20, 'x'), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (const char* name : {"menu.dd", "caps.dd", "shift.dd"}) {
            writeBytes(dir / name, c.bytes);
            EXPECT_EQ(store.ReadSetting(name), c.expected.value_or(defaultSetting(name))) << name;
        }
    }
}

TEST_F(SettingsStoreTest, SomethingOtherThanAFileGivesTheDefault)
{
    EXPECT_TRUE(store.ReadSetting("menu.dd")) << "missing";
    EXPECT_FALSE(store.ReadSetting("caps.dd")) << "missing";

    fs::create_directory(dir / "menu.dd");
    EXPECT_TRUE(store.ReadSetting("menu.dd")) << "a directory";

    // A FIFO would block a plain read for ever, and a device would never end.
    ASSERT_EQ(::mkfifo((dir / "caps.dd").c_str(), 0600), 0);
    EXPECT_FALSE(store.ReadSetting("caps.dd")) << "a FIFO";
    fs::create_symlink("/dev/zero", dir / "shift.dd");
    EXPECT_FALSE(store.ReadSetting("shift.dd")) << "a link to a device";
    EXPECT_EQ(errors.str(), "") << "reading reports nothing";
}

TEST_F(SettingsStoreTest, AnUnwritableFileIsReportedOnceAndTheRestGoesOn)
{
    // Both hold for root too: a directory at the file's name, and a directory path that is a file.
    fs::create_directory(dir / "menu.dd");
    store.WriteSetting("menu.dd", true);
    store.WriteSetting("caps.dd", true);

    EXPECT_TRUE(fs::is_directory(dir / "menu.dd"));
    EXPECT_EQ(readBytes(dir / "caps.dd"), "#TRUE#\r\n");
    EXPECT_EQ(entries(dir.path()), (std::vector<std::string>{"caps.dd", "menu.dd"})) << "no temporary file left";
    const std::string report = errors.str();
    EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), 1) << report;
    EXPECT_NE(report.find((dir / "menu.dd").string()), std::string::npos) << report;

    writeBytes(dir / "plain", "x");
    std::ostringstream moreErrors;
    DirectorySettingsStore inFile(dir / "plain", sync, moreErrors);
    EXPECT_NO_THROW(inFile.WriteSetting("shift.dd", true));
    EXPECT_NE(moreErrors.str().find((dir / "plain" / "shift.dd").string() + ": Not a directory"), std::string::npos)
        << moreErrors.str();
}

TEST_F(SettingsStoreTest, ALinkAtTheFileNameIsReplacedNotFollowed)
{
    writeBytes(dir / "elsewhere", "precious");
    fs::create_symlink(dir / "elsewhere", dir / "shift.dd");

    store.WriteSetting("shift.dd", true);

    EXPECT_FALSE(fs::is_symlink(dir / "shift.dd"));
    EXPECT_EQ(readBytes(dir / "shift.dd"), "#TRUE#\r\n");
    EXPECT_EQ(readBytes(dir / "elsewhere"), "precious");
}

TEST_F(SettingsStoreTest, AnInterruptedWriteLeavesTheOldFile)
{
    store.WriteSetting("caps.dd", false);
    sync.failFile = true;

    store.WriteSetting("caps.dd", true);

    EXPECT_EQ(readBytes(dir / "caps.dd"), "#FALSE#\r\n");
    EXPECT_EQ(entries(dir.path()), std::vector<std::string>{"caps.dd"}) << "the temporary file is removed";
    EXPECT_NE(errors.str().find("caps.dd"), std::string::npos);
}

TEST_F(SettingsStoreTest, OnlyTheThreeSettingsFilesAreKnown)
{
    EXPECT_THROW(store.ReadSetting("../etc/passwd"), std::invalid_argument);
    EXPECT_THROW(store.WriteSetting("other.dd", true), std::invalid_argument);
    EXPECT_TRUE(entries(dir.path()).empty());
}

// Inputs the fuzzer found or started from: each is read as the parser reads it, whether or not the rest of
// the file follows.
TEST_F(SettingsStoreTest, FuzzFindingsAndSeedsAreReadAsTheParserReadsThem)
{
    const fs::path data = SETTINGS_TEST_DATA;
    std::vector<fs::path> files;
    for (const char* folder : {"crashes", "fuzz_corpus"}) {
        if (fs::is_directory(data / folder)) {
            for (const auto& entry : fs::directory_iterator(data / folder)) {
                files.push_back(entry.path());
            }
        }
    }
    ASSERT_FALSE(files.empty());
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.filename().string());
        const std::string bytes = readBytes(file);
        const std::optional<bool> whole = parseSetting(bytes, true);
        const auto lineEnd = bytes.find_first_of("\r\n");
        if (lineEnd != std::string::npos) {
            EXPECT_EQ(parseSetting(bytes, false), whole);
        }
        for (const char* name : {"menu.dd", "caps.dd"}) {
            fs::copy_file(file, dir / name, fs::copy_options::overwrite_existing);
            const bool value = store.ReadSetting(name);
            // Beyond its first few hundred bytes a file is not read, so only a short first line is certain.
            if (bytes.size() <= 64 || lineEnd < 64) {
                EXPECT_EQ(value, whole.value_or(defaultSetting(name))) << name;
            }
        }
    }
}

TEST(NativeDiskSync, FlushesARealFile)
{
    TempDir dir;
    std::ostringstream errors;
    NativeDiskSync sync;
    DirectorySettingsStore store(dir.path(), sync, errors);

    store.WriteSetting("menu.dd", false);

    EXPECT_EQ(readBytes(dir / "menu.dd"), "#FALSE#\r\n");
    EXPECT_EQ(errors.str(), "");
    EXPECT_THROW(sync.SyncFile(dir / "missing"), std::system_error);
}

} // namespace
