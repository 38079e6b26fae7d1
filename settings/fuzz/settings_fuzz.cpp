#include "settings/settings_store.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <string_view>

namespace fs = std::filesystem;

namespace {

// Only reading is fuzzed, so nothing is ever flushed.
struct NoSync : DiskSync
{
    void SyncFile(const fs::path&) override {}
    void SyncDirectory(const fs::path&) noexcept override {}
};

// One scratch directory for the whole run, so that the file reader sees every input as a real file.
class ScratchDirectory
{
public:
    ScratchDirectory()
    {
        std::random_device random;
        m_path = fs::temp_directory_path() / ("glyphward-settings-fuzz-" + std::to_string(random()));
        fs::create_directories(m_path);
    }
    ~ScratchDirectory()
    {
        std::error_code ignored;
        fs::remove_all(m_path, ignored);
    }
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    const fs::path& path() const { return m_path; }

private:
    fs::path m_path;
};

void check(bool condition)
{
    if (!condition) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    const std::optional<bool> whole = parseSetting(input, true);
    const std::optional<bool> head = parseSetting(input, false);
    // Only a first line without its end can depend on whether more of the file follows.
    if (input.find_first_of("\r\n") != std::string_view::npos) {
        check(head == whole);
    } else {
        check(!head);
    }
    // A value is only ever read from bytes that spell it.
    if (whole) {
        check(input.find(*whole ? "#TRUE#" : "#FALSE#") != std::string_view::npos);
    }

    static const ScratchDirectory scratch;
    static NoSync sync;
    static std::ostringstream errors;
    static DirectorySettingsStore store(scratch.path(), sync, errors);
    for (std::string_view name : {kCapsFile, kMenuFile}) {
        {
            // A fresh file each time: ext4 flushes a file that is truncated and rewritten when it is closed.
            fs::remove(scratch.path() / name);
            std::ofstream out(scratch.path() / name, std::ios::binary);
            out.write(input.data(), static_cast<std::streamsize>(input.size()));
            check(static_cast<bool>(out));
        }
        // The reader looks at no more than the first few hundred bytes, so a short file, or one whose first
        // line ends early, is read exactly as the parser reads it.
        const bool value = store.ReadSetting(name);
        if (size <= 64 || input.find_first_of("\r\n") < 64) {
            check(value == whole.value_or(defaultSetting(name)));
        }
    }
    check(errors.str().empty());
    return 0;
}
