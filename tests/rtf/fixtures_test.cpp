#include "rtf/reader.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const fs::path kData = RTF_TEST_DATA;

std::string readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in) << path;
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<fs::path> filesIn(const fs::path& directory)
{
    std::vector<fs::path> files;
    if (fs::is_directory(directory)) {
        for (const auto& entry : fs::directory_iterator(directory)) {
            files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

bool isUtf8(const std::string& s)
{
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        const std::size_t length = c < 0x80                 ? 1
                                   : c >= 0xC2 && c <= 0xDF ? 2
                                   : c >= 0xE0 && c <= 0xEF ? 3
                                   : c >= 0xF0 && c <= 0xF4 ? 4
                                                            : 0;
        if (length == 0 || i + length > s.size()) {
            return false;
        }
        for (std::size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) {
                return false;
            }
        }
        i += length;
    }
    return true;
}

// Documents LibreOffice wrote from the .html beside them; the .txt is its own text export, with list markers
// and table rows rewritten to the reader's plain-text layout.
TEST(RtfFixtures, PlainTextMatchesTheIndependentExport)
{
    for (const char* name : {"lists", "table", "western", "cyrillic_greek", "styled"}) {
        SCOPED_TRACE(name);
        const rtf::Result result = rtf::parse(readFile(kData / "fixtures" / (std::string(name) + ".rtf")));
        ASSERT_TRUE(result.ok()) << result.error;
        EXPECT_FALSE(result.truncated);
        EXPECT_EQ(rtf::toPlainText(result.document), readFile(kData / "fixtures" / (std::string(name) + ".txt")));
    }
}

const rtf::Run* findRun(const rtf::Document& document, std::string_view text)
{
    for (const rtf::Paragraph& paragraph : document.paragraphs) {
        for (const rtf::Run& run : paragraph.runs) {
            if (run.text == text) {
                return &run;
            }
        }
    }
    return nullptr;
}

TEST(RtfFixtures, FormattingFromAWordProcessor)
{
    const rtf::Result styled = rtf::parse(readFile(kData / "fixtures" / "styled.rtf"));
    const auto& paragraphs = styled.document.paragraphs;
    ASSERT_EQ(paragraphs.size(), 3u);
    EXPECT_EQ(paragraphs[0].alignment, rtf::Alignment::Centre);
    EXPECT_EQ(paragraphs[1].alignment, rtf::Alignment::Justified);
    EXPECT_EQ(paragraphs[2].alignment, rtf::Alignment::Right);

    const rtf::CharFormat body = paragraphs[1].runs.at(0).format;
    EXPECT_EQ(body.fontFamily, "DejaVu Serif");
    EXPECT_EQ(body.halfPoints, 24);
    EXPECT_FALSE(body.bold || body.italic || body.underline || body.strikeThrough || body.colour);

    auto formatOf = [&](std::string_view text) {
        const rtf::Run* run = findRun(styled.document, text);
        EXPECT_TRUE(run) << text;
        return run ? run->format : rtf::CharFormat{};
    };
    const rtf::CharFormat heading = formatOf("Glyphward keypad help");
    EXPECT_TRUE(heading.bold);
    EXPECT_EQ(heading.halfPoints, 48);
    EXPECT_TRUE(formatOf("clicking keys").bold);
    EXPECT_TRUE(formatOf("nothing").italic);
    EXPECT_EQ(formatOf("drag the field").colour, (rtf::Rgb{0xC0, 0, 0}));
    EXPECT_TRUE(formatOf("empties itself").bold && formatOf("empties itself").italic);
    EXPECT_TRUE(formatOf("Underlined").underline);
    EXPECT_TRUE(formatOf("struck").strikeThrough);
    EXPECT_EQ(formatOf("larger").halfPoints, 36);
    EXPECT_EQ(formatOf("monospaced").fontFamily, "DejaVu Sans Mono");

    const rtf::Result lists = rtf::parse(readFile(kData / "fixtures" / "lists.rtf"));
    const rtf::Paragraph& item = lists.document.paragraphs.at(1);
    EXPECT_EQ(item.leftIndent, 709);
    EXPECT_EQ(item.firstLineIndent, -283);
    EXPECT_EQ(item.runs.at(0).text, "•\t");
    EXPECT_EQ(item.runs.at(0).format.fontFamily, "OpenSymbol");
}

TEST(RtfFixtures, TableAndSpacingFromAWordProcessor)
{
    const rtf::Result table = rtf::parse(readFile(kData / "fixtures" / "table.rtf"));
    const auto& paragraphs = table.document.paragraphs;
    ASSERT_EQ(paragraphs.size(), 6u);
    for (std::size_t i = 0; i < paragraphs.size(); ++i) {
        SCOPED_TRACE(rtf::paragraphText(paragraphs[i]));
        const bool row = i >= 1 && i <= 4;
        EXPECT_EQ(paragraphs[i].isTableRow(), row);
        EXPECT_EQ(paragraphs[i].cellRightEdges, (row ? std::vector<int>{571, 2777} : std::vector<int>{}));
        EXPECT_EQ(paragraphs[i].spaceAfter, row ? 0 : 140) << "the Text Body style's spacing";
        EXPECT_EQ(paragraphs[i].spaceBefore, 0);
    }
    EXPECT_EQ(paragraphs[4].cellStarts, (std::vector<std::size_t>{0, 4})) << "Esc, then Close the keypad";
}

// Inputs the fuzzer found or started from: each must parse and give well-formed UTF-8.
TEST(RtfFixtures, FuzzFindingsAndSeedsParse)
{
    std::vector<fs::path> files = filesIn(kData / "crashes");
    const std::vector<fs::path> seeds = filesIn(kData / "fuzz_corpus");
    files.insert(files.end(), seeds.begin(), seeds.end());
    ASSERT_FALSE(seeds.empty());
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.filename().string());
        const rtf::Result result = rtf::parse(readFile(file));
        EXPECT_TRUE(isUtf8(rtf::toPlainText(result.document)));
    }
}

} // namespace
