#pragma once

#include <QString>
#include <functional>

// Where the settings files live. A program directory its user can write (a build tree, a portable copy) keeps
// them beside the executable. An installed program's directory belongs to the system, so there each user gets
// a directory of their own, created on first use and seeded with the defaults installed beside the
// executable (each file that is missing there is copied, byte for byte).
QString settingsDirectory(const QString& applicationDirectory);

// The user's own settings directory: ~/.config/glyphward on Linux, %LOCALAPPDATA%\glyphward on Windows.
QString userSettingsDirectory();

// The same choice with its inputs given: the writability check (root may write anywhere, so tests choose
// the answer) and the user's directory.
using IsDirectoryWritable = std::function<bool(const QString& directory)>;
QString settingsDirectory(const QString& applicationDirectory, const IsDirectoryWritable& isWritable,
                          const QString& userDirectory);
