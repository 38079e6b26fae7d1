#include "windows/settings_location.h"

#include "settings/settings_store.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace {
QString fromView(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Judged from the permissions, never by creating a file: a probe fails on a full file system too, and would
// move the settings for that one run. An installed copy under Program Files is marked, so Windows' read-only
// attribute, all that QFileInfo sees there, is enough for the rest.
bool isWritableDirectory(const QString& directory)
{
    const QFileInfo info(directory);
    return info.isDir() && info.isWritable();
}

bool isMarkedInstalled(const QString& applicationDirectory)
{
    return QFileInfo(QDir(applicationDirectory).filePath(QString::fromLatin1(kInstalledMarker))).isFile();
}

// A failure here is left to the settings store: a missing file reads as its default, and a directory that
// cannot be written is reported when the settings are saved.
void seedDefaults(const QString& defaultsDirectory, const QString& userDirectory)
{
    QDir().mkpath(userDirectory);
    for (std::string_view name : {kMenuFile, kCapsFile, kShiftFile}) {
        const QString target = QDir(userDirectory).filePath(fromView(name));
        // A symbolic link, even a dangling one, is the user's choice: the store replaces it on the next save.
        if (QFileInfo(target).exists() || QFileInfo(target).isSymLink()) {
            continue;
        }
        // QFile::copy writes a temporary file and renames it, so an interrupted copy leaves no torn file.
        QFile::copy(QDir(defaultsDirectory).filePath(fromView(name)), target);
    }
}
} // namespace

QString userSettingsDirectory()
{
    const QString location = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    // Qt 6.4 takes a relative XDG_CONFIG_HOME as it is, which would follow the current directory; the XDG base
    // directory rules make it invalid, so the default stands instead.
    if (!location.isEmpty() && QDir::isRelativePath(location)) {
        return QDir::homePath() + QStringLiteral("/.config/") + QCoreApplication::applicationName();
    }
    return location;
}

QString settingsDirectory(const QString& applicationDirectory)
{
    return settingsDirectory(applicationDirectory, isWritableDirectory, userSettingsDirectory());
}

QString settingsDirectory(const QString& applicationDirectory, const IsDirectoryWritable& isWritable,
                          const QString& userDirectory)
{
    // Without a home there is no user directory: the store then reports, on saving, what it cannot write.
    if (userDirectory.isEmpty() || (!isMarkedInstalled(applicationDirectory) && isWritable(applicationDirectory))) {
        return applicationDirectory;
    }
    seedDefaults(applicationDirectory, userDirectory);
    return userDirectory;
}
