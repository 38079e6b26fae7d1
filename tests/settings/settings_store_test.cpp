#include "settings/settings_store.h"
#include "support/temp_dir.h"
#include "windows/native.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/time.h>
#include <thread>
#include <unistd.h>

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

// The temporary file, passed through a stream whose writes or close fail with the given errors (0: they work).
// The calls that work leave ENOENT in errno, as a successful C library call may.
class FailingFile
{
public:
    static std::FILE* wrap(std::FILE* real, int writeError, int closeError)
    {
        if (!real) {
            return nullptr;
        }
        auto* self = new FailingFile{real, writeError, closeError};
        return ::fopencookie(self, "w", {nullptr, &FailingFile::write, nullptr, &FailingFile::close});
    }

private:
    FailingFile(std::FILE* real, int writeError, int closeError)
        : m_real(real), m_writeError(writeError), m_closeError(closeError)
    {}

    static ssize_t write(void* cookie, const char* data, std::size_t size)
    {
        auto* self = static_cast<FailingFile*>(cookie);
        if (self->m_writeError != 0) {
            errno = self->m_writeError;
            return -1;
        }
        const std::size_t written = std::fwrite(data, 1, size, self->m_real);
        errno = ENOENT;
        return static_cast<ssize_t>(written);
    }

    static int close(void* cookie)
    {
        auto* self = static_cast<FailingFile*>(cookie);
        const bool closed = std::fclose(self->m_real) == 0;
        const int error = self->m_closeError;
        delete self;
        errno = error != 0 ? error : ENOENT;
        return closed && error == 0 ? 0 : -1;
    }

    std::FILE* m_real;
    int m_writeError;
    int m_closeError;
};

// The real reading and writing, with flushes that are counted and can fail the one between writing the temporary
// file and renaming it, and a temporary file whose writes or close can fail.
struct ScriptedSync : NativeDiskSync
{
    void SyncFile(const fs::path& file) override
    {
        ++fileSyncs;
        if (failFile) {
            throw std::system_error(EIO, std::generic_category(), "flush to disk");
        }
        EXPECT_EQ(readBytes(file).size() >= 8, true) << "the data is written before it is flushed";
    }
    void SyncDirectory(const fs::path&) override { ++directorySyncs; }
    std::FILE* createFile(const fs::path& file) override
    {
        std::FILE* real = NativeDiskSync::createFile(file);
        return failWrite == 0 && failClose == 0 ? real : FailingFile::wrap(real, failWrite, failClose);
    }

    bool failFile = false;
    int failWrite = 0;
    int failClose = 0;
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

TEST_F(SettingsStoreTest, AFailedWriteIsReportedWithTheErrorOfTheCallThatFailed)
{
    struct Case
    {
        const char* what;
        int writeError;
        int closeError;
        int reported;
    };
    const Case cases[] = {
        {"the close", 0, EIO, EIO},
        {"the write", ENOSPC, 0, ENOSPC},
        {"the write, then the close", ENOSPC, EIO, ENOSPC},
    };
    store.WriteSetting("caps.dd", false);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        errors.str("");
        sync.failWrite = c.writeError;
        sync.failClose = c.closeError;

        store.WriteSetting("caps.dd", true);

        EXPECT_EQ(errors.str(),
                  "glyphward: cannot save " + (dir / "caps.dd").string() + ": " + std::strerror(c.reported) + "\n");
        EXPECT_EQ(readBytes(dir / "caps.dd"), "#FALSE#\r\n");
        EXPECT_EQ(entries(dir.path()), std::vector<std::string>{"caps.dd"}) << "the temporary file is removed";
    }
}

TEST_F(SettingsStoreTest, SavingRemovesOnlyTheTemporaryFilesThatAnEarlierRunLeft)
{
    enum Kind
    {
        File,
        Directory,
        Link
    };
    struct Case
    {
        const char* name;
        Kind kind;
        std::chrono::seconds age;
        bool removed;
    };
    using std::chrono::hours;
    using std::chrono::seconds;
    const Case cases[] = {
        {".menu.dd.0123456789abcdef.tmp", File, hours(1), true},
        {".caps.dd.fedcba9876543210.tmp", File, hours(24 * 400), true},
        {".shift.dd.00000000deadbeef.tmp", File, hours(1), true},
        {".caps.dd.1111111111111111.tmp", File, seconds(0), false},  // another instance saving now
        {".caps.dd.2222222222222222.tmp", File, seconds(20), false}, // or moments before this run began
        {".caps.dd.3333333333333333.tmp", Directory, hours(1), false},
        {".caps.dd.4444444444444444.tmp", Link, hours(1), false},
        {".caps.dd.0123456789ABCDEF.tmp", File, hours(1), false},
        {".caps.dd.0123456789abcdeg.tmp", File, hours(1), false},
        {".caps.dd.0123456789abcde.tmp", File, hours(1), false},
        {".caps.dd.0123456789abcdef0.tmp", File, hours(1), false},
        {"caps.dd.0123456789abcdef.tmp", File, hours(1), false},
        {".caps.dd.0123456789abcdef.tmp~", File, hours(1), false},
        {".caps.dd.0123456789abcdef.tmp.tmp", File, hours(1), false},
        {"..caps.dd.0123456789abcdef.tmp", File, hours(1), false},
        {".other.dd.0123456789abcdef.tmp", File, hours(1), false},
        {".caps.dd.0123456789abcdef", File, hours(1), false},
        {"notes.txt", File, hours(1), false},
    };
    const auto now = fs::file_time_type::clock::now();
    const fs::path outside = dir / "outside";
    writeBytes(outside, "precious");
    fs::last_write_time(outside, now - hours(1));
    for (const Case& c : cases) {
        const fs::path path = dir / c.name;
        if (c.kind == Directory) {
            fs::create_directory(path);
        } else if (c.kind == Link) {
            // An old link to an old file: only following it would make it look like ours.
            fs::create_symlink(outside, path);
            const timeval old[2] = {{::time(nullptr) - 3600, 0}, {::time(nullptr) - 3600, 0}};
            ASSERT_EQ(::lutimes(path.c_str(), old), 0);
            continue;
        } else {
            writeBytes(path, "#TRUE#\r\n");
        }
        fs::last_write_time(path, now - c.age);
    }

    for (const char* name : {"menu.dd", "caps.dd", "shift.dd"}) {
        store.WriteSetting(name, true);
    }

    for (const Case& c : cases) {
        EXPECT_EQ(fs::exists(fs::symlink_status(dir / c.name)), !c.removed) << c.name;
    }
    EXPECT_EQ(readBytes(outside), "precious");
    EXPECT_EQ(errors.str(), "");
}

// A regular file and a FIFO take turns at the name while it is read: whatever the reader finds there, and
// whenever it changes, the reader comes back.
TEST_F(SettingsStoreTest, AFifoPutAtTheNameAtAnyMomentCannotBlockTheReader)
{
    writeBytes(dir / "file", "#TRUE#\r\n");
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    const std::string next = (dir / "next").string();
    const std::string name = (dir / "caps.dd").string();

    std::atomic<bool> stop{false};
    std::atomic<int> reads{0};
    std::atomic<bool> done{false};
    // Links, so that the FIFO stays reachable under "fifo" for freeing a reader stuck on it.
    std::thread swapper([&] {
        for (bool fifo = true; !stop; fifo = !fifo) {
            ::unlink(next.c_str());
            ::link((dir / (fifo ? "fifo" : "file")).c_str(), next.c_str());
            ::rename(next.c_str(), name.c_str());
        }
    });
    std::thread reader([&] {
        for (int i = 0; i < 20000 && !stop; ++i) {
            store.ReadSetting("caps.dd");
            ++reads;
        }
        done = true;
    });

    // A read takes microseconds; one that has not come back after seconds waits for a writer.
    int seen = -1;
    auto lastProgress = std::chrono::steady_clock::now();
    while (!done && std::chrono::steady_clock::now() - lastProgress < std::chrono::seconds(3)) {
        if (reads != seen) {
            seen = reads;
            lastProgress = std::chrono::steady_clock::now();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    const bool blocked = !done;
    stop = true;
    swapper.join();
    while (!done) {
        // A writer lets a reader that waits for one go on, to the end of the FIFO.
        const int fd = ::open((dir / "fifo").c_str(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0) {
            ::close(fd);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    reader.join();
    EXPECT_FALSE(blocked) << "the reader waited on the FIFO after " << reads << " reads";
}

// The bytes that this process has had from read calls so far, by Linux's I/O accounting.
std::optional<long long> bytesReadSoFar()
{
    std::ifstream io("/proc/self/io");
    std::string key;
    long long value = 0;
    while (io >> key >> value) {
        if (key == "rchar:") {
            return value;
        }
    }
    return std::nullopt;
}

TEST_F(SettingsStoreTest, AsksTheSystemForNoMoreThanItLooksAt)
{
    writeBytes(dir / "caps.dd", "#TRUE#" + std::string(1 << 20, ' ') + "\r\n");
    const std::optional<long long> before = bytesReadSoFar();
    if (!before) {
        GTEST_SKIP() << "no I/O accounting in /proc/self/io";
    }
    const long long counting = *bytesReadSoFar() - *before; // what reading the counter itself takes
    const long long start = *bytesReadSoFar();

    EXPECT_FALSE(store.ReadSetting("caps.dd")) << "a first line longer than anything written";

    const long long read = *bytesReadSoFar() - start - counting;
    // A few hundred bytes: enough to tell an over-long first line; the rest of the allowance is for the
    // counter's own length changing as it grows.
    EXPECT_LE(read, 257 + 8);
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

// Fails every flush of a directory with the given error; files are flushed for real.
class FailingDirectoryFlush : public NativeDiskSync
{
public:
    explicit FailingDirectoryFlush(int error) : m_error(error) {}

protected:
    int flushToDisk(int descriptor) override
    {
        struct stat info;
        if (::fstat(descriptor, &info) == 0 && S_ISDIR(info.st_mode)) {
            errno = m_error;
            return -1;
        }
        return NativeDiskSync::flushToDisk(descriptor);
    }

private:
    int m_error;
};

TEST(NativeDiskSync, ADirectoryFlushFailsTheSaveUnlessTheFileSystemCannotFlushDirectories)
{
    struct Case
    {
        int error;
        bool reported;
    };
    const Case cases[] = {
        {EINVAL, false}, {ENOTSUP, false}, {EOPNOTSUPP, false}, {EROFS, false},
        {EIO, true},     {ENOSPC, true},   {EBADF, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::strerror(c.error));
        TempDir dir;
        std::ostringstream errors;
        FailingDirectoryFlush sync(c.error);
        DirectorySettingsStore store(dir.path(), sync, errors);

        store.WriteSetting("shift.dd", true);

        EXPECT_EQ(readBytes(dir / "shift.dd"), "#TRUE#\r\n") << "the rename went through";
        const std::string report = errors.str();
        if (c.reported) {
            const std::string start = "glyphward: cannot save " + (dir / "shift.dd").string() + ": ";
            const std::string end = std::string(std::strerror(c.error)) + "\n";
            EXPECT_EQ(report.rfind(start, 0), 0u) << report;
            EXPECT_TRUE(report.size() > end.size() && report.compare(report.size() - end.size(), end.size(), end) == 0)
                << report;
            EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), 1) << report;
        } else {
            EXPECT_EQ(report, "");
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
