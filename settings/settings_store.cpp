#include "settings/settings_store.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
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

// A settings file is a few bytes long; nothing beyond this much of it is ever parsed, and only one byte more
// is read.
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

// Temporary names: ".caps.dd.0123456789abcdef.tmp", a 64-bit random number in hex between the file's name and
// the extension.
constexpr std::size_t kRandomDigits = 16;
constexpr std::string_view kTemporaryExtension = ".tmp";

// ".caps.dd." for caps.dd. Appended piece by piece: GCC 12 takes `"." + name + "."` for an overlapping copy
// (-Wrestrict) in optimised builds.
std::string temporaryPrefix(std::string_view fileName)
{
    std::string prefix;
    prefix.reserve(fileName.size() + 2);
    prefix += '.';
    prefix += fileName;
    prefix += '.';
    return prefix;
}

fs::path temporaryName(const fs::path& target)
{
    static std::mt19937_64 generator{std::random_device{}()};
    char suffix[kRandomDigits + 1];
    std::snprintf(suffix, sizeof suffix, "%016llx", static_cast<unsigned long long>(generator()));
    return target.parent_path() /
           (temporaryPrefix(target.filename().string()) + suffix + std::string(kTemporaryExtension));
}

// Whether `name` is one that temporaryName() gives for the settings file `fileName`, and nothing else.
bool isTemporaryName(const fs::path::string_type& name, std::string_view fileName)
{
    const fs::path::string_type prefix = fs::path(temporaryPrefix(fileName)).native();
    const fs::path::string_type extension = fs::path(kTemporaryExtension).native();
    if (name.size() != prefix.size() + kRandomDigits + extension.size() ||
        name.compare(0, prefix.size(), prefix) != 0 ||
        name.compare(name.size() - extension.size(), extension.size(), extension) != 0) {
        return false;
    }
    return std::all_of(name.begin() + static_cast<std::ptrdiff_t>(prefix.size()),
                       name.end() - static_cast<std::ptrdiff_t>(extension.size()),
                       [](auto c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

// A temporary file is renamed away moments after it is made, so one from before this run was left by a run
// that was killed while saving. The margin spares another instance's save in progress even where file times
// come in steps of seconds (FAT: two) or a network share's clock is a little ahead.
constexpr auto kStaleMargin = std::chrono::minutes(1);

// Removes the temporary files of `fileName` written before `cutoff`. Only regular files are ours: a link with
// such a name is left alone, never followed, and removing a name never touches what a link leads to. Whatever
// fails is left for the next run.
void removeStaleTemporaries(const fs::path& directory, std::string_view fileName, fs::file_time_type cutoff)
{
    std::error_code error;
    for (fs::directory_iterator it(directory, error), end; !error && it != end; it.increment(error)) {
        const fs::path& path = it->path();
        std::error_code ignored;
        if (!isTemporaryName(path.filename().native(), fileName) ||
            !fs::is_regular_file(fs::symlink_status(path, ignored))) {
            continue;
        }
        const fs::file_time_type written = fs::last_write_time(path, ignored);
        if (!ignored && written < cutoff) {
            fs::remove(path, ignored);
        }
    }
}

// Creates a new file that did not exist before (never opening an existing file or following a link).
std::FILE* createExclusive(DiskSync& sync, const fs::path& target, fs::path& created, std::error_code& error)
{
    for (int attempt = 0; attempt < 8; ++attempt) {
        created = temporaryName(target);
        errno = 0;
        if (std::FILE* file = sync.createFile(created)) {
            return file;
        }
        error.assign(errno != 0 ? errno : EIO, std::generic_category());
        if (error != std::errc::file_exists) {
            break;
        }
    }
    created.clear();
    return nullptr;
}

// Writes `bytes` and closes the file. Returns the error of the first call that failed, taken from errno right
// after that call: errno is cleared before each one, since a call that succeeds may leave anything there.
std::error_code writeAndClose(std::FILE* file, std::string_view bytes)
{
    std::error_code failure;
    const auto noteFailure = [&failure] {
        if (!failure) {
            failure.assign(errno != 0 ? errno : EIO, std::generic_category());
        }
    };
    errno = 0;
    if (std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) {
        noteFailure();
    } else {
        errno = 0;
        if (std::fflush(file) != 0) {
            noteFailure();
        }
    }
    errno = 0;
    if (std::fclose(file) != 0) {
        noteFailure();
    }
    return failure;
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

std::FILE* DiskSync::createFile(const fs::path& file)
{
    return std::fopen(file.string().c_str(), "wbx");
}

std::optional<std::string> DiskSync::readHead(const fs::path& file, std::size_t limit)
{
    // The standard library cannot look at an open file, so the name is looked at first (see the header).
    std::error_code error;
    if (!fs::is_regular_file(fs::status(file, error)) || error) {
        return std::nullopt;
    }
    std::FILE* in = std::fopen(file.string().c_str(), "rb");
    if (!in) {
        return std::nullopt;
    }
    std::string head(limit, '\0');
    // Unbuffered, so that the C library asks for no more than is wanted.
    std::setvbuf(in, nullptr, _IONBF, 0);
    head.resize(std::fread(head.data(), 1, limit, in));
    const bool failed = std::ferror(in) != 0;
    std::fclose(in);
    return failed ? std::nullopt : std::optional<std::string>(std::move(head));
}

DirectorySettingsStore::DirectorySettingsStore(fs::path directory, DiskSync& sync, std::ostream& errors)
    : m_directory(std::move(directory)), m_sync(sync), m_errors(errors), m_started(fs::file_time_type::clock::now())
{}

bool DirectorySettingsStore::ReadSetting(std::string_view fileName)
{
    const bool fallback = defaultSetting(fileName);
    // One byte more than is parsed tells a first line that goes on from one that ends with the file.
    const std::optional<std::string> head = m_sync.readHead(m_directory / fileName, kReadLimit + 1);
    if (!head) {
        return fallback;
    }
    const bool complete = head->size() <= kReadLimit;
    return parseSetting(std::string_view(*head).substr(0, kReadLimit), complete).value_or(fallback);
}

void DirectorySettingsStore::WriteSetting(std::string_view fileName, bool value)
{
    defaultSetting(fileName); // rejects a name that is not a settings file
    const fs::path target = m_directory / fileName;
    removeStaleTemporaries(m_directory, fileName, m_started - kStaleMargin);

    fs::path temporary;
    std::error_code error;
    if (std::FILE* file = createExclusive(m_sync, target, temporary, error)) {
        error = writeAndClose(file, settingBytes(value));
    }
    std::string failure = error ? error.message() : std::string();

    if (failure.empty()) {
        try {
            m_sync.SyncFile(temporary);
            fs::rename(temporary, target);
            temporary.clear();
            m_sync.SyncDirectory(m_directory);
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
    }
}
