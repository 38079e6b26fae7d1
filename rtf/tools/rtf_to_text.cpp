// Shows what the RTF reader makes of a file: its plain text, or with --runs every paragraph and run with
// their formatting. For checking a help document before it goes into the program.

#include "rtf/reader.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <string_view>

namespace {

constexpr std::string_view kUsage = "usage: rtf-to-text [--runs] FILE   (FILE - reads standard input)\n";

// Reads one byte more than the reader takes, so that it can tell a file cut short.
bool readInput(const std::string& name, std::string& bytes, std::string& failure)
{
    std::FILE* file = name == "-" ? stdin : std::fopen(name.c_str(), "rb");
    if (!file) {
        failure = std::string("cannot open: ") + std::strerror(errno);
        return false;
    }
    char buffer[65536];
    while (bytes.size() <= rtf::kMaxInputBytes) {
        const std::size_t got = std::fread(buffer, 1, sizeof buffer, file);
        bytes.append(buffer, got);
        if (got < sizeof buffer) {
            break;
        }
    }
    const bool failed = std::ferror(file) != 0;
    const int savedErrno = errno;
    if (file != stdin) {
        std::fclose(file);
    }
    if (failed) {
        failure = std::string("cannot read: ") + std::strerror(savedErrno);
        return false;
    }
    return true;
}

std::string_view alignmentName(rtf::Alignment alignment)
{
    switch (alignment) {
    case rtf::Alignment::Left:
        return "left";
    case rtf::Alignment::Centre:
        return "centre";
    case rtf::Alignment::Right:
        return "right";
    case rtf::Alignment::Justified:
        return "justified";
    }
    return "?";
}

std::string quoted(std::string_view text)
{
    std::string out = "\"";
    for (const char c : text) {
        switch (c) {
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '"':
        case '\\':
            out += '\\';
            out += c;
            break;
        default:
            out += c;
        }
    }
    return out + "\"";
}

void printRuns(const rtf::Document& document, std::ostream& out)
{
    for (const rtf::Paragraph& paragraph : document.paragraphs) {
        out << "paragraph " << alignmentName(paragraph.alignment) << " left " << paragraph.leftIndent << " right "
            << paragraph.rightIndent << " first " << paragraph.firstLineIndent << " before " << paragraph.spaceBefore
            << " after " << paragraph.spaceAfter;
        if (paragraph.isTableRow()) {
            out << " row of " << paragraph.cellStarts.size() << " cells, edges";
            for (const int edge : paragraph.cellRightEdges) {
                out << ' ' << edge;
            }
        }
        out << '\n';
        for (const rtf::Run& run : paragraph.runs) {
            const rtf::CharFormat& f = run.format;
            out << "  " << f.halfPoints / 2 << (f.halfPoints % 2 ? ".5" : "") << "pt";
            out << (f.bold ? " bold" : "") << (f.italic ? " italic" : "") << (f.underline ? " underline" : "")
                << (f.strikeThrough ? " strike" : "");
            if (f.colour) {
                char rgb[8];
                std::snprintf(rgb, sizeof rgb, "#%02x%02x%02x", f.colour->red, f.colour->green, f.colour->blue);
                out << ' ' << rgb;
            }
            if (!f.fontFamily.empty()) {
                out << " font " << quoted(f.fontFamily);
            }
            out << ": " << quoted(run.text) << '\n';
        }
    }
}

} // namespace

int main(int argc, char** argv)
{
    bool runs = false;
    std::string name;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--runs") {
            runs = true;
        } else if (arg == "--help" || arg == "-h") {
            std::cout << kUsage;
            return 0;
        } else if (name.empty() && (arg == "-" || !arg.starts_with("-"))) {
            name = arg;
        } else {
            std::cerr << kUsage;
            return 2;
        }
    }
    if (name.empty()) {
        std::cerr << kUsage;
        return 2;
    }

    std::string bytes;
    std::string failure;
    if (!readInput(name, bytes, failure)) {
        std::cerr << "rtf-to-text: " << name << ": " << failure << '\n';
        return 1;
    }
    const rtf::Result result = rtf::parse(bytes);
    if (!result.ok()) {
        std::cerr << "rtf-to-text: " << name << ": " << result.error << '\n';
        return 1;
    }
    if (runs) {
        printRuns(result.document, std::cout);
    } else {
        std::cout << rtf::toPlainText(result.document);
    }
    if (result.truncated) {
        std::cerr << "rtf-to-text: " << name << ": cut short at the reader's size limits\n";
    }
    return std::cout.flush() ? 0 : 1;
}
