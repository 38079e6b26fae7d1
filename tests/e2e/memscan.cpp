// Counts the copies of a text in the memory of a running process, read from outside through /proc/PID/mem
// (root may read a non-dumpable process's memory too).
//
//   memscan [--verbose] PID TEXT [PIECE]
//
// Reads every mapping that is readable and writable, and every readable anonymous one, and looks for TEXT
// both as bytes and as UTF-16 (the toolkit's strings). Prints "full N pieces M": N places that hold the
// whole text, M places that hold a piece of it of at least PIECE characters (12 unless given), each place
// counted once however long the piece. --verbose lists every place with its mapping on standard error.
// Exits 2 when the process cannot be read at all.

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <string.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

struct Mapping
{
    unsigned long begin;
    unsigned long end;
    std::string perms;
    std::string name;
};

std::vector<Mapping> readMaps(const std::string& pid)
{
    std::vector<Mapping> maps;
    std::ifstream in("/proc/" + pid + "/maps");
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string range;
        std::string offset;
        std::string device;
        std::string inode;
        Mapping m;
        fields >> range >> m.perms >> offset >> device >> inode;
        std::getline(fields >> std::ws, m.name);
        const auto dash = range.find('-');
        m.begin = std::stoul(range.substr(0, dash), nullptr, 16);
        m.end = std::stoul(range.substr(dash + 1), nullptr, 16);
        maps.push_back(m);
    }
    return maps;
}

bool wanted(const Mapping& m)
{
    if (m.perms.size() < 2 || m.perms[0] != 'r') {
        return false;
    }
    // The kernel's pages, the same in every process.
    if (m.name == "[vvar]" || m.name == "[vsyscall]" || m.name == "[vdso]") {
        return false;
    }
    const bool anonymous = m.name.empty() || m.name[0] == '[';
    return m.perms[1] == 'w' || anonymous;
}

// The text as the bytes a buffer would hold: as is, or each character widened to UTF-16 little-endian.
std::string encode(const std::string& text, bool wide)
{
    if (!wide) {
        return text;
    }
    std::string out;
    for (const char c : text) {
        out += c;
        out += '\0';
    }
    return out;
}

struct Counts
{
    int full = 0;
    int pieces = 0;
};

// Counts the places in data that hold at least `piece` bytes of needle, starting at a character boundary of
// it (`unit` bytes a character). Overlapping matches make one place; it is full when one match there is the
// whole needle.
void scan(const std::string& data, const std::string& needle, std::size_t piece, std::size_t unit, unsigned long base,
          const Mapping& m, bool verbose, Counts& counts)
{
    struct Place
    {
        std::size_t begin;
        std::size_t end;
        std::size_t longest;
    };
    std::vector<Place> places;
    for (std::size_t k = 0; k + piece <= needle.size(); k += unit) {
        const char* first = data.data();
        const char* const last = data.data() + data.size();
        while (const void* hit = ::memmem(first, static_cast<std::size_t>(last - first), needle.data() + k, piece)) {
            const auto at = static_cast<std::size_t>(static_cast<const char*>(hit) - data.data());
            std::size_t n = piece;
            while (at + n < data.size() && k + n < needle.size() && data[at + n] == needle[k + n]) {
                ++n;
            }
            places.push_back({at, at + n, n});
            first = static_cast<const char*>(hit) + 1;
        }
    }
    std::sort(places.begin(), places.end(), [](const Place& a, const Place& b) { return a.begin < b.begin; });
    for (std::size_t i = 0; i < places.size();) {
        Place merged = places[i];
        for (++i; i < places.size() && places[i].begin < merged.end; ++i) {
            merged.end = std::max(merged.end, places[i].end);
            merged.longest = std::max(merged.longest, places[i].longest);
        }
        const bool whole = merged.longest == needle.size();
        ++(whole ? counts.full : counts.pieces);
        if (verbose) {
            std::fprintf(stderr, "%s %zu of %zu characters, %s, at %#lx in %s %s\n", whole ? "full" : "piece",
                         merged.longest / unit, needle.size() / unit, unit == 2 ? "UTF-16" : "bytes",
                         base + merged.begin, m.perms.c_str(), m.name.empty() ? "[anonymous]" : m.name.c_str());
        }
    }
}

} // namespace

int main(int argc, char** argv)
{
    bool verbose = false;
    std::vector<std::string> args(argv + 1, argv + argc);
    if (!args.empty() && args.front() == "--verbose") {
        verbose = true;
        args.erase(args.begin());
    }
    if (args.size() < 2 || args.size() > 3 || args[1].empty()) {
        std::fputs("usage: memscan [--verbose] PID TEXT [PIECE]\n", stderr);
        return 2;
    }
    const std::string& pid = args[0];
    const std::string& text = args[1];
    const std::size_t piece = args.size() == 3 ? std::strtoul(args[2].c_str(), nullptr, 10) : 12;
    if (piece == 0 || piece > text.size()) {
        std::fputs("memscan: PIECE must be between 1 and the length of TEXT\n", stderr);
        return 2;
    }

    const int fd = ::open(("/proc/" + pid + "/mem").c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        std::fprintf(stderr, "memscan: cannot open the memory of %s: %s\n", pid.c_str(), std::strerror(errno));
        return 2;
    }
    Counts counts;
    std::size_t bytesRead = 0;
    for (const Mapping& m : readMaps(pid)) {
        if (!wanted(m)) {
            continue;
        }
        std::string data(m.end - m.begin, '\0');
        std::size_t got = 0;
        while (got < data.size()) {
            const ssize_t n = ::pread(fd, data.data() + got, data.size() - got, static_cast<off_t>(m.begin + got));
            if (n <= 0) {
                break;
            }
            got += static_cast<std::size_t>(n);
        }
        data.resize(got);
        bytesRead += got;
        for (const std::size_t unit : {1, 2}) {
            scan(data, encode(text, unit == 2), piece * unit, unit, m.begin, m, verbose, counts);
        }
    }

    ::close(fd);
    if (bytesRead == 0) {
        std::fprintf(stderr, "memscan: nothing of %s could be read\n", pid.c_str());
        return 2;
    }
    std::printf("full %d pieces %d\n", counts.full, counts.pieces);
    return 0;
}
