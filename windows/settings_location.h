#pragma once

#include <QString>
#include <functional>

// Where the settings files live. An installed copy (the install step puts kInstalledMarker beside the
// executable; the package carries it too) keeps them per user, root included, since its directory and the
// defaults in it belong to the system: each user gets a directory of their own, created on first use and
// seeded with the defaults installed beside the executable (each file that is missing there is copied, byte
// for byte). Any other copy (a build tree, a portable copy) keeps them beside the executable, unless its user
// may not write there. Nothing is created in the program's directory to decide this.
QString settingsDirectory(const QString& applicationDirectory);

// The file that marks an installed copy.
inline constexpr const char* kInstalledMarker = "installed-settings-per-user";

// The user's own settings directory: ~/.config/glyphward on Linux ($XDG_CONFIG_HOME/glyphward when that is an
// absolute path; a relative one is invalid and ignored), %LOCALAPPDATA%\glyphward on Windows.
QString userSettingsDirectory();

// The same choice with its inputs given: the writability check (root may write anywhere, so tests choose
// the answer) and the user's directory. The marker is looked for in the application directory.
using IsDirectoryWritable = std::function<bool(const QString& directory)>;
QString settingsDirectory(const QString& applicationDirectory, const IsDirectoryWritable& isWritable,
                          const QString& userDirectory);
