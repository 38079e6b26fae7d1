#include "settings/settings_store.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <ostream>
#include <random>
#include <stdexcept>
#include <string>
#include <system_error>

namespace fs = std::filesystem;

namespace {
constexpr std::string_view kTrue = "#TRUE#";
constexpr std::string_view kFalse = "#FALSE#";
constexpr std::string_view kTrueBytes = "#TRUE#\r\n";
constexpr std::string_view kFalseBytes = "#FALSE#\r\n";

// A settings file is a few bytes long; nothing beyond this much of it is ever read.
constexpr std::size_t kReadLimit = 256;

std::string_view trimBlanks(std::string_view s)
{
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = s.find_last_not_of(" \t");
    return s.substr(first, last - first + 1);
}

fs::path temporaryName(const fs::path& target)
{
    static std::mt19937_64 generator{std::random_device{}()};
    char suffix[17];
    std::snprintf(suffix, sizeof suffix, "%016llx", static_cast<unsigned long long>(generator()));
    return target.parent_path() / ("." + target.filename().string() + "." + suffix + ".tmp");
}

// Creates a new file that did not exist before (never opening an existing file or following a link).
std::FILE* createExclusive(const fs::path& target, fs::path& created)
{
    for (int attempt = 0; attempt < 8; ++attempt) {
        created = temporaryName(target);
        if (std::FILE* file = std::fopen(created.string().c_str(), "wbx")) {
            return file;
        }
        if (errno != EEXIST) {
            break;
        }
    }
    return nullptr;
}
} // namespace

bool defaultSetting(std::string_view fileName)
{
    if (fileName == kMenuFile) {
        return true;
    }
    if (fileName == kCapsFile || fileName == kShiftFile) {
        return false;
    }
    throw std::invalid_argument("not a settings file: " + std::string(fileName));
}

std::string_view settingBytes(bool value)
{
    return value ? kTrueBytes : kFalseBytes;
}

std::optional<bool> parseSetting(std::string_view head, bool complete)
{
    // The first field of the first line: the line ends at CR or LF, the field at a comma.
    const auto lineEnd = head.find_first_of("\r\n");
    if (lineEnd == std::string_view::npos && !complete) {
        return std::nullopt; // a first line longer than anything we wrote
    }
    const std::string_view line = head.substr(0, lineEnd);
    const std::string_view field = trimBlanks(line.substr(0, line.find(',')));
    if (field == kTrue) {
        return true;
    }
    if (field == kFalse) {
        return false;
    }
    return std::nullopt;
}

DirectorySettingsStore::DirectorySettingsStore(fs::path directory, DiskSync& sync, std::ostream& errors)
    : m_directory(std::move(directory)), m_sync(sync), m_errors(errors)
{}

bool DirectorySettingsStore::ReadSetting(std::string_view fileName)
{
    const bool fallback = defaultSetting(fileName);
    const fs::path path = m_directory / fileName;

    // Only a regular file is opened: a FIFO or a device at the file's name would block or never end.
    std::error_code error;
    if (!fs::is_regular_file(fs::status(path, error)) || error) {
        return fallback;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return fallback;
    }
    std::array<char, kReadLimit + 1> buffer{};
    in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    const auto got = static_cast<std::size_t>(in.gcount());
    if (in.bad()) {
        return fallback;
    }
    const bool complete = got <= kReadLimit;
    return parseSetting(std::string_view(buffer.data(), complete ? got : kReadLimit), complete).value_or(fallback);
}

void DirectorySettingsStore::WriteSetting(std::string_view fileName, bool value)
{
    defaultSetting(fileName); // rejects a name that is not a settings file
    const fs::path target = m_directory / fileName;
    const std::string_view bytes = settingBytes(value);

    fs::path temporary;
    std::string failure;
    std::FILE* file = createExclusive(target, temporary);
    if (!file) {
        failure = std::strerror(errno);
        temporary.clear();
    } else {
        const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
        const bool flushed = std::fflush(file) == 0;
        const int savedErrno = errno;
        const bool closed = std::fclose(file) == 0;
        if (!written || !flushed || !closed) {
            failure = std::strerror(savedErrno ? savedErrno : errno);
        }
    }

    if (failure.empty()) {
        try {
            m_sync.SyncFile(temporary);
            fs::rename(temporary, target);
            temporary.clear();
        } catch (const fs::filesystem_error& e) {
            failure = e.code().message();
        } catch (const std::exception& e) {
            failure = e.what();
        }
    }

    if (!temporary.empty()) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
    }
    if (!failure.empty()) {
        m_errors << "glyphward: cannot save " << target.string() << ": " << failure << std::endl;
        return;
    }
    m_sync.SyncDirectory(m_directory);
}
