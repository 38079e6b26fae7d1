#pragma once

#include "settings/disk_sync.h"

#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string_view>

// The three one-value settings files.
inline constexpr std::string_view kMenuFile = "menu.dd";
inline constexpr std::string_view kCapsFile = "caps.dd";
inline constexpr std::string_view kShiftFile = "shift.dd";

// What a fresh install holds: the menu shown, both locks off. Throws std::invalid_argument for a name
// that is not one of the three files.
bool defaultSetting(std::string_view fileName);

// The bytes a value is stored as: "#TRUE#" or "#FALSE#", then CR LF.
std::string_view settingBytes(bool value);

// Reads the value from the start of a settings file. `complete` says whether `head` holds the whole file
// or only its first bytes. Returns nothing when the bytes hold neither notation.
std::optional<bool> parseSetting(std::string_view head, bool complete);

class SettingsStore
{
public:
    virtual ~SettingsStore() = default;

    virtual bool ReadSetting(std::string_view fileName) = 0;
    virtual void WriteSetting(std::string_view fileName, bool value) = 0;
};

// Settings files in one directory.
//
// Reading never fails: a file that is missing, unreadable, not a regular file or not in the notation gives
// the setting's default. Writing replaces the file atomically (a temporary file in the same directory,
// made durable, then renamed over the old one), so a crash leaves the old file or the new one and a
// symbolic link at the file's name is replaced rather than followed. Temporary files of the same file that a
// killed earlier run left behind are removed when it is written. A file that cannot be written is reported
// once on `errors` and left as it was; writing never throws.
class DirectorySettingsStore : public SettingsStore
{
public:
    DirectorySettingsStore(std::filesystem::path directory, DiskSync& sync, std::ostream& errors);

    bool ReadSetting(std::string_view fileName) override;
    void WriteSetting(std::string_view fileName, bool value) override;

    const std::filesystem::path& directory() const { return m_directory; }

private:
    std::filesystem::path m_directory;
    DiskSync& m_sync;
    std::ostream& m_errors;
    // When this run began, as far as the settings are concerned.
    std::filesystem::file_time_type m_started;
};
