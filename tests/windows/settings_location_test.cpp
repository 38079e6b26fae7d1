#include "windows/settings_location.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(bytes);
}

// An application directory holding installed defaults that differ from the built-in ones, so that a copy
// shows in the bytes.
class SettingsLocationTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(root.isValid());
        ASSERT_TRUE(QDir().mkpath(appDir));
        writeFile(appDir + "/menu.dd", "#FALSE#\r\n");
        writeFile(appDir + "/caps.dd", "#TRUE#\r\n");
        writeFile(appDir + "/shift.dd", " #TRUE#\n");
    }

    QTemporaryDir root;
    QString appDir = root.filePath("lib/glyphward");
    QString userDir = root.filePath("config/glyphward");
};

TEST_F(SettingsLocationTest, AWritableProgramDirectoryKeepsTheSettingsAndLeavesTheUserDirectoryAlone)
{
    EXPECT_EQ(settingsDirectory(
                  appDir, [](const QString&) { return true; }, userDir),
              appDir);
    EXPECT_FALSE(QFileInfo::exists(userDir));
}

TEST_F(SettingsLocationTest, AnInstalledCopyKeepsTheSettingsPerUserEvenForAUserWhoMayWriteItsDirectory)
{
    // Root may write the installed program's directory: its settings still go to root's own directory, never
    // into the defaults that every new user starts from.
    writeFile(appDir + "/" + kInstalledMarker, "");
    for (const bool writable : {true, false}) {
        SCOPED_TRACE(writable ? "writable" : "not writable");
        EXPECT_EQ(settingsDirectory(
                      appDir, [writable](const QString&) { return writable; }, userDir),
                  userDir);
        EXPECT_EQ(readAll(userDir + "/caps.dd"), "#TRUE#\r\n") << "seeded from the installed defaults";
    }
    EXPECT_EQ(readAll(appDir + "/caps.dd"), "#TRUE#\r\n");
}

TEST_F(SettingsLocationTest, AnUnwritableProgramDirectorySendsTheSettingsToASeededUserDirectory)
{
    QString asked;
    const auto unwritable = [&asked](const QString& directory) {
        asked = directory;
        return false;
    };
    EXPECT_EQ(settingsDirectory(appDir, unwritable, userDir), userDir);
    EXPECT_EQ(asked, appDir);
    for (const char* name : {"menu.dd", "caps.dd", "shift.dd"}) {
        EXPECT_EQ(readAll(userDir + "/" + name), readAll(appDir + "/" + name)) << name;
    }
}

TEST_F(SettingsLocationTest, SeedingCopiesOnlyTheMissingFilesAndNeverOverwritesTheUsersOwn)
{
    const auto unwritable = [](const QString&) { return false; };
    ASSERT_TRUE(QDir().mkpath(userDir));
    writeFile(userDir + "/caps.dd", "#FALSE#\r\n");
    ASSERT_TRUE(QFile::link(root.filePath("elsewhere"), userDir + "/shift.dd"));
    ASSERT_TRUE(QFile::remove(appDir + "/menu.dd"));

    EXPECT_EQ(settingsDirectory(appDir, unwritable, userDir), userDir);
    EXPECT_EQ(readAll(userDir + "/caps.dd"), "#FALSE#\r\n");
    EXPECT_TRUE(QFileInfo(userDir + "/shift.dd").isSymLink());
    EXPECT_FALSE(QFileInfo::exists(userDir + "/menu.dd")) << "no default installed, so none to copy";

    // A later start copies a default that has come back, and still leaves the rest alone.
    writeFile(appDir + "/menu.dd", "#FALSE#\r\n");
    writeFile(userDir + "/caps.dd", "#TRUE#\r\n");
    settingsDirectory(appDir, unwritable, userDir);
    EXPECT_EQ(readAll(userDir + "/menu.dd"), "#FALSE#\r\n");
    EXPECT_EQ(readAll(userDir + "/caps.dd"), "#TRUE#\r\n");
}

TEST_F(SettingsLocationTest, WithoutAUserDirectoryTheProgramDirectoryStays)
{
    EXPECT_EQ(settingsDirectory(
                  appDir, [](const QString&) { return false; }, QString()),
              appDir);
}

// Points XDG_CONFIG_HOME elsewhere for one test.
class ConfigHomeGuard
{
public:
    explicit ConfigHomeGuard(const QString& path)
        : m_wasSet(qEnvironmentVariableIsSet("XDG_CONFIG_HOME")), m_saved(qgetenv("XDG_CONFIG_HOME"))
    {
        qputenv("XDG_CONFIG_HOME", path.toUtf8());
    }
    ~ConfigHomeGuard() { m_wasSet ? qputenv("XDG_CONFIG_HOME", m_saved) : qunsetenv("XDG_CONFIG_HOME"); }

private:
    bool m_wasSet;
    QByteArray m_saved;
};

TEST_F(SettingsLocationTest, ARelativeXdgConfigHomeIsIgnored)
{
    ConfigHomeGuard configHome(QStringLiteral("relative/config"));
    EXPECT_EQ(userSettingsDirectory(), QDir::homePath() + "/.config/glyphward");
}

TEST_F(SettingsLocationTest, TheRealCheckTriesTheDirectoryAndTheUserDirectoryFollowsXdgConfigHome)
{
    ConfigHomeGuard configHome(root.filePath("config"));
    // One folder named after the program, not an organization folder with the program's inside it.
    EXPECT_EQ(userSettingsDirectory(), userDir);

    writeFile(root.filePath("plain-file"), "");
    // Root may write any directory, so the unwritable cases here are places that are no directory at all.
    const struct
    {
        QString applicationDirectory;
        QString expected;
    } cases[] = {
        {appDir, appDir},
        {root.filePath("missing"), userDir},
        {root.filePath("plain-file"), userDir},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(settingsDirectory(c.applicationDirectory), c.expected) << c.applicationDirectory.toStdString();
    }
    EXPECT_EQ(QDir(appDir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList({"caps.dd", "menu.dd", "shift.dd"}))
        << "the check leaves nothing behind";
}

} // namespace
