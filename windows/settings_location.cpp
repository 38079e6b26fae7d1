#include "windows/settings_location.h"

#include "settings/settings_store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace {
QString fromView(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Tried rather than judged from permissions: on Windows QFileInfo::isWritable sees only the read-only
// attribute, not the access rights that keep users out of Program Files.
bool isWritableDirectory(const QString& directory)
{
    QTemporaryFile probe(QDir(directory).filePath(QStringLiteral(".glyphward-write-test-XXXXXX")));
    return QFileInfo(directory).isDir() && probe.open();
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
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
}

QString settingsDirectory(const QString& applicationDirectory)
{
    return settingsDirectory(applicationDirectory, isWritableDirectory, userSettingsDirectory());
}

QString settingsDirectory(const QString& applicationDirectory, const IsDirectoryWritable& isWritable,
                          const QString& userDirectory)
{
    // Without a home there is no user directory: the store then reports, on saving, what it cannot write.
    if (isWritable(applicationDirectory) || userDirectory.isEmpty()) {
        return applicationDirectory;
    }
    seedDefaults(applicationDirectory, userDirectory);
    return userDirectory;
}
