#include "rtf/reader.h"

#include <chrono>
#include <gtest/gtest.h>
#include <ostream>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace rtf {

// Readable failure messages for the model.
void PrintTo(const Run& run, std::ostream* out)
{
    const CharFormat& f = run.format;
    *out << '"' << run.text << "\" " << f.halfPoints << "hp" << (f.bold ? " b" : "") << (f.italic ? " i" : "")
         << (f.underline ? " ul" : "") << (f.strikeThrough ? " strike" : "") << " font '" << f.fontFamily << "'";
    if (f.colour) {
        *out << " rgb(" << int(f.colour->red) << ',' << int(f.colour->green) << ',' << int(f.colour->blue) << ')';
    }
}

} // namespace rtf

namespace {

using rtf::Alignment;
using rtf::CharFormat;
using rtf::Rgb;

// A whole document, or a body that gets the usual header.
std::string document(std::string_view input)
{
    return input.starts_with("{\\rtf") ? std::string(input) : "{\\rtf1\\ansi " + std::string(input) + "}";
}

std::string plainText(std::string_view input)
{
    const rtf::Result result = rtf::parse(document(input));
    EXPECT_TRUE(result.ok()) << result.error;
    return rtf::toPlainText(result.document);
}

struct Case
{
    const char* what;
    std::string input;
    std::string expected;
};

void expectPlainText(const std::vector<Case>& cases)
{
    for (const Case& c : cases) {
        EXPECT_EQ(plainText(c.input), c.expected) << c.what << "\n  input: " << c.input;
    }
}

TEST(RtfReader, ControlWordsGiveTheirText)
{
    expectPlainText({
        {"paragraphs", R"(one\par two\par)", "one\ntwo\n"},
        {"an empty paragraph", R"(one\par\par two)", "one\n\ntwo\n"},
        {"line break", R"(one\line two)", "one\ntwo\n"},
        {"tab", R"(a\tab b)", "a\tb\n"},
        {"page and section breaks end the paragraph", R"(a\page b\sect c)", "a\nb\nc\n"},
        {"CR and LF in the source", "a\r\nb\nc\rd", "abcd\n"},
        {"backslash before a line end", "a\\\nb\\\r\nc", "a\nb\nc\n"},
        {"escaped braces and backslash", R"(\{x\}\\)", "{x}\\\n"},
        {"non-breaking space, optional hyphen, non-breaking hyphen", R"(a\~b\-c\_d)", "a\u00A0b\u00ADc\u2011d\n"},
        {"typographic characters", R"(\emdash\endash\bullet\lquote\rquote\ldblquote\rdblquote)",
         "\u2014\u2013\u2022\u2018\u2019\u201C\u201D\n"},
        {"one space ends a control word, the next is text", R"(a\tab  b)", "a\t b\n"},
        {"a non-letter ends a control word", R"(a\tab;b\tab1c)", "a\t;b\tc\n"},
        {"parameters are no text", R"(\fs20x\fi-200 y\li0\ri15 z)", "xyz\n"},
        {"a minus without digits is text", R"(\b-x)", "-x\n"},
        {"unknown control words", R"(\foo12 bar\zzz baz)", "barbaz\n"},
        {"groups are no text", "a{b{c}}d", "abcd\n"},
        {"hidden text", R"(a{\v secret}b\v c\v0 d)", "abd\n"},
    });
}

TEST(RtfReader, BytesAreDecodedInTheDocumentsOrTheFontsCodePage)
{
    const std::string fonts =
        R"({\fonttbl{\f0 Arial;}{\f1\fcharset238 Arial CE;}{\f2\fcharset204 Arial Cyr;})"
        R"({\f3\fcharset161 Arial Greek;}{\f4\fcharset162 Arial Tur;}{\f5\fcharset177 Arial Hebrew;})"
        R"({\f6\fcharset178 Arial Arabic;}{\f7\fcharset186 Arial Baltic;}{\f8\fcharset163 Arial Viet;})"
        R"({\f9\fcharset2 Symbol;}{\f10\fcharset0 Times;}{\f11\fcharset128 MS Mincho;}})";
    expectPlainText({
        {"Windows-1252 without \\ansicpg", R"({\rtf1\ansi \'e9\'80\'95})", "é€•\n"},
        {"byte 0x80 and up unescaped", "{\\rtf1\\ansi caf\xe9}", "café\n"},
        {"an undefined byte", R"({\rtf1\ansi \'81})", "\uFFFD\n"},
        {"\\ansicpg", R"({\rtf1\ansi\ansicpg1251 \'c0\'e1\'e2})", "Абв\n"},
        {"charset 238 is 1250", "{\\rtf1\\ansi" + fonts + R"(\f1 \'9e\'b9\'e8})", "žąč\n"},
        {"charset 204 is 1251", "{\\rtf1\\ansi" + fonts + R"(\f2 \'c0\'e1\'e2})", "Абв\n"},
        {"charset 161 is 1253", "{\\rtf1\\ansi" + fonts + R"(\f3 \'e1\'e2\'e3})", "αβγ\n"},
        {"charset 162 is 1254", "{\\rtf1\\ansi" + fonts + R"(\f4 \'f0\'fe})", "ğş\n"},
        {"charset 177 is 1255", "{\\rtf1\\ansi" + fonts + R"(\f5 \'e0\'e1})", "אב\n"},
        {"charset 178 is 1256", "{\\rtf1\\ansi" + fonts + R"(\f6 \'c7\'e1})", "ال\n"},
        {"charset 186 is 1257", "{\\rtf1\\ansi" + fonts + R"(\f7 \'e0\'f0})", "ąš\n"},
        {"charset 163 is 1258", "{\\rtf1\\ansi" + fonts + R"(\f8 \'f5\'d2})", "\u01A1\u0309\n"},
        {"charset 0 follows \\ansicpg", "{\\rtf1\\ansi\\ansicpg1251" + fonts + R"(\f10 \'c0})", "А\n"},
        {"the font's code page only inside its group", "{\\rtf1\\ansi" + fonts + R"({\f2 \'c0}\'c0})", "АÀ\n"},
        {"\\deff chooses the code page of unmarked text", "{\\rtf1\\ansi\\deff2" + fonts + R"(\'c0{\f0 \'c0}})",
         "АÀ\n"},
        {"a symbol font's bullet", "{\\rtf1\\ansi" + fonts + R"(\f9 \'b7 \u-3913 x})", "• •\n"},
        {"a double-byte code page is left to \\u", "{\\rtf1\\ansi" + fonts + R"(\f11\uc2\u26085\'93\'fa!})", "日!\n"},
        {"a double-byte byte without \\u", "{\\rtf1\\ansi" + fonts + R"(\f11 \'93a})", "\uFFFDa\n"},
    });
}

TEST(RtfReader, UnicodeEscapesAndTheirFallbacks)
{
    expectPlainText({
        {"one fallback character by default", R"(caf\u233?s)", "cafés\n"},
        {"a negative value is 65536 more", R"(\u-10916?x)", "한x\n"},
        {"\\uc2 skips two", R"(\uc2\u26085\'93\'fa!)", "日!\n"},
        {"\\uc0 skips nothing", R"(\uc0\u233 e)", "ée\n"},
        {"a control word counts as one", R"(\u233\tab x)", "éx\n"},
        {"a group boundary ends the fallback", R"({\uc5\u233 ab}cd)", "écd\n"},
        {"\\uc belongs to its group", R"({\uc2\u233 xy}\u233 zw)", "ééw\n"},
        {"a surrogate pair is one character", R"(\u-10179?\u-8704?!)", "😀!\n"},
        {"a lone high surrogate", R"(\u-10179?x)", "\uFFFDx\n"},
        {"a lone low surrogate", R"(\u-8704?x)", "\uFFFDx\n"},
        {"a high surrogate before a paragraph end", R"(\u-10179?\par x)", "\uFFFD\nx\n"},
        {"a high surrogate before a line break", R"(\u-10179?\line x)", "\uFFFD\nx\n"},
        {"control characters are dropped", R"(\uc0 a\u0 \u7 \u9 b)", "a\tb\n"},
    });
}

TEST(RtfReader, DestinationsWithoutTextAreSkipped)
{
    expectPlainText({
        {"anything marked \\*", R"({\*\anything hidden {nested} text}shown)", "shown\n"},
        {"\\* in the middle of a group", R"({a\*b}c)", "ac\n"},
        {"font and colour tables", R"({\fonttbl{\f0 Arial;}}{\colortbl;\red1\green2\blue3;}x)", "x\n"},
        {"named destinations",
         R"({\stylesheet{\s0 Normal;}}{\info{\title T}{\author A}}{\listtable{\list{\listlevel{\leveltext x;}}}})"
         R"({\listoverridetable{\listoverride\ls1}}{\pict\pngblip 89504e47}{\object{\objdata 01}{\result r}})"
         R"({\header H}{\footer F}x{\footnote N}{\themedata 00}{\latentstyles L}{\rsidtbl\rsid1}y)",
         "xy\n"},
        {"binary data may hold braces", R"({\pict\bin4 }}}}}z)", "z\n"},
        {"a field shows its result", R"({\field{\*\fldinst HYPERLINK "x"}{\fldrslt link}})", "link\n"},
        {"field instructions without \\*", R"({\field{\fldinst PAGE}{\fldrslt 3}})", "3\n"},
        {"old-style list text", R"({\pntext\f0 1.\tab}{\*\pn\pnlvlbody{\pntxta .}}First)", "1.\tFirst\n"},
        {"list text", R"({\listtext\pard\plain \'95\tab}Item\par{\listtext\pard\plain 2)\tab}Next)",
         "•\tItem\n2)\tNext\n"},
    });
}

TEST(RtfReader, TableRowsBecomeParagraphsWithTabSeparatedCells)
{
    expectPlainText({
        {"a row", R"(\trowd\cellx1000\cellx2000\pard\intbl a\cell b\cell\row\pard after\par)", "a\tb\nafter\n"},
        {"empty cells keep their place", R"(\trowd\pard\intbl\cell x\cell\cell\row)", "\tx\t\n"},
        {"two rows", R"(\intbl a\cell b\cell\row\intbl c\cell d\cell\row)", "a\tb\nc\td\n"},
        {"a paragraph mark inside a cell breaks the line", R"(\intbl a\par b\cell c\cell\row)", "a\nb\tc\n"},
        {"a row without \\row ends at the next paragraph", R"(\intbl a\cell b\cell\pard c\par)", "a\tb\tc\n"},
        {"nested cells", R"(\intbl a\nestcell b\nestcell\nestrow\cell z\cell\row)", "a\tb\t\n\tz\n"},
    });
}

TEST(RtfReader, TableRowsKnowWhereTheirCellsStartAndTheirEdges)
{
    struct Row
    {
        std::string text;
        std::vector<std::size_t> cellStarts; // empty: not a row
        std::vector<int> edges;
    };
    const struct
    {
        const char* what;
        std::string input;
        std::vector<Row> rows;
    } cases[] = {
        {"edges from \\cellx",
         R"(\trowd\cellx1000\cellx2500\pard\intbl a\cell bc\cell\row)",
         {{"a\tbc", {0, 2}, {1000, 2500}}}},
        {"a tab inside a cell is the cell's",
         R"(\trowd\cellx900\cellx1800\intbl a\tab b\cell c\cell\row)",
         {{"a\tb\tc", {0, 4}, {900, 1800}}}},
        {"nested cells stay inside their cell",
         R"(\intbl a\nestcell b\nestcell\nestrow\cell z\cell\row)",
         {{"a\tb\t\n\tz", {0, 6}, {}}}},
        {"empty cells", R"(\trowd\pard\intbl\cell x\cell\cell\row)", {{"\tx\t", {0, 1, 3}, {}}}},
        {"the edges hold until \\trowd",
         R"(\trowd\cellx700\intbl a\cell\row\intbl b\cell\row\trowd\intbl c\cell\row\pard d\par)",
         {{"a", {0}, {700}}, {"b", {0}, {700}}, {"c", {0}, {}}, {"d", {}, {}}}},
        {"a paragraph after a row is none",
         R"(\trowd\cellx700\intbl a\cell\row\pard b\par)",
         {{"a", {0}, {700}}, {"b", {}, {}}}},
        {"a row cut short", R"(\trowd\cellx700\cellx800\intbl a\cell b)", {{"a\tb", {0, 2}, {700, 800}}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const rtf::Result result = rtf::parse(document(c.input));
        const auto& paragraphs = result.document.paragraphs;
        ASSERT_EQ(paragraphs.size(), c.rows.size());
        for (std::size_t i = 0; i < paragraphs.size(); ++i) {
            EXPECT_EQ(rtf::paragraphText(paragraphs[i]), c.rows[i].text);
            EXPECT_EQ(paragraphs[i].isTableRow(), !c.rows[i].cellStarts.empty());
            EXPECT_EQ(paragraphs[i].cellStarts, c.rows[i].cellStarts);
            EXPECT_EQ(paragraphs[i].cellRightEdges, c.rows[i].edges);
        }
    }

    // Cells beyond the bound join the last one, their separators kept as its text.
    std::string wide = "\\trowd";
    for (int i = 1; i <= 70; ++i) {
        wide += "\\cellx" + std::to_string(i * 100);
    }
    for (int i = 0; i < 70; ++i) {
        wide += "\\intbl x\\cell";
    }
    const rtf::Result result = rtf::parse(document(wide + "\\row"));
    ASSERT_EQ(result.document.paragraphs.size(), 1u);
    const rtf::Paragraph& row = result.document.paragraphs[0];
    std::string text = "x";
    for (int i = 1; i < 70; ++i) {
        text += "\tx";
    }
    EXPECT_EQ(rtf::toPlainText(result.document), text + "\n");
    ASSERT_EQ(row.cellStarts.size(), rtf::kMaxCellsPerRow);
    EXPECT_EQ(row.cellStarts.back(), 2 * (rtf::kMaxCellsPerRow - 1));
    EXPECT_EQ(row.cellRightEdges.size(), rtf::kMaxCellsPerRow);
    EXPECT_EQ(row.cellRightEdges.back(), 6400);
}

TEST(RtfReader, FormattingIsInheritedByGroupsAndRestoredAfterThem)
{
    const rtf::Result result = rtf::parse(
        R"({\rtf1\ansi\deff1{\fonttbl{\f0\fswiss Arial;}{\f1\froman{\*\panose 02020603}Times New Roman;})"
        R"({\f2\fmodern\fcharset0 Courier New{\*\falt Courier};}}{\colortbl;\red255\green0\blue0;\red0\green128\blue0;})"
        R"(plain {\b bold {\i both}\i0  b}{\ul\strike u\ulnone s\strike0 n}{\ul0 x\uldb y})"
        R"({\fs36\cf1\f2 big}\cf2 green\cf0 auto\cf9 none\f0\b\plain\i done\par})");
    ASSERT_TRUE(result.ok());
    ASSERT_EQ(result.document.paragraphs.size(), 1u);

    auto format = [](auto&& change) {
        CharFormat f;
        f.fontFamily = "Times New Roman";
        change(f);
        return f;
    };
    const auto same = [](CharFormat&) {};
    const std::vector<rtf::Run> expected = {
        {"plain ", format(same)},
        {"bold ", format([](CharFormat& f) { f.bold = true; })},
        {"both", format([](CharFormat& f) { f.bold = f.italic = true; })},
        {" b", format([](CharFormat& f) { f.bold = true; })},
        {"u", format([](CharFormat& f) { f.underline = f.strikeThrough = true; })},
        {"s", format([](CharFormat& f) { f.strikeThrough = true; })},
        {"nx", format(same)},
        {"y", format([](CharFormat& f) { f.underline = true; })},
        {"big", format([](CharFormat& f) {
             f.halfPoints = 36;
             f.colour = Rgb{255, 0, 0};
             f.fontFamily = "Courier New";
         })},
        {"green", format([](CharFormat& f) {
             f.colour = Rgb{0, 128, 0};
         })},
        {"autonone", format(same)},
        {"done", format([](CharFormat& f) { f.italic = true; })},
    };
    EXPECT_EQ(result.document.paragraphs[0].runs, expected);
}

TEST(RtfReader, FontTablesWithoutGroupsAndWithoutTerminators)
{
    struct FontCase
    {
        const char* what;
        std::string input;
        std::string font;
    };
    const FontCase cases[] = {
        {"fonts listed without groups", R"({\rtf1{\fonttbl\f0\fswiss Arial;\f1 Times;}\f1 x})", "Times"},
        {"a font without its semicolon", R"({\rtf1{\fonttbl{\f0 Arial}{\f1 Times}}\f1 x})", "Times"},
        {"an unknown font number", R"({\rtf1{\fonttbl{\f0 Arial;}}\f7 x})", ""},
        {"the default font", R"({\rtf1\deff0{\fonttbl{\f0 Arial;}} x})", "Arial"},
        {"an escaped name", R"({\rtf1{\fonttbl{\f0\fcharset204 \'cf\'d2\'3b Sans;}}\f0 x})", "ПТ; Sans"},
    };
    for (const FontCase& c : cases) {
        const rtf::Result result = rtf::parse(c.input);
        ASSERT_EQ(result.document.paragraphs.size(), 1u) << c.what;
        EXPECT_EQ(result.document.paragraphs[0].runs.at(0).format.fontFamily, c.font) << c.what;
    }
}

TEST(RtfReader, ParagraphPropertiesComeFromTheParagraphMark)
{
    const rtf::Result result = rtf::parse(R"({\rtf1\ansi \pard\qc\li720\ri360\fi-180\sb120\sa240 centred\par)"
                                          R"(\qr right\par \qj justified\par \ql left\par)"
                                          R"(\pard {\qc\sb60 in a group\par}after the group\par)"
                                          R"(\sb-20\sa99999 out of range\par)"
                                          R"(\pard\li100 \line\pard ends plain})");
    ASSERT_TRUE(result.ok());
    struct Expected
    {
        Alignment alignment;
        int left;
        int right;
        int firstLine;
        int before;
        int after;
    };
    const Expected expected[] = {
        {Alignment::Centre, 720, 360, -180, 120, 240},
        {Alignment::Right, 720, 360, -180, 120, 240},
        {Alignment::Justified, 720, 360, -180, 120, 240},
        {Alignment::Left, 720, 360, -180, 120, 240},
        {Alignment::Centre, 0, 0, 0, 60, 0},
        {Alignment::Left, 0, 0, 0, 0, 0},
        {Alignment::Left, 0, 0, 0, 0, 31680},
        {Alignment::Left, 0, 0, 0, 0, 0},
    };
    const auto& paragraphs = result.document.paragraphs;
    ASSERT_EQ(paragraphs.size(), std::size(expected));
    for (std::size_t i = 0; i < paragraphs.size(); ++i) {
        SCOPED_TRACE(rtf::paragraphText(paragraphs[i]));
        EXPECT_EQ(paragraphs[i].alignment, expected[i].alignment);
        EXPECT_EQ(paragraphs[i].leftIndent, expected[i].left);
        EXPECT_EQ(paragraphs[i].rightIndent, expected[i].right);
        EXPECT_EQ(paragraphs[i].firstLineIndent, expected[i].firstLine);
        EXPECT_EQ(paragraphs[i].spaceBefore, expected[i].before);
        EXPECT_EQ(paragraphs[i].spaceAfter, expected[i].after);
    }
    EXPECT_EQ(rtf::paragraphText(paragraphs.back()), "\nends plain") << "\\line stays inside the paragraph";
}

TEST(RtfReader, OnlyInputThatIsNotRtfIsAnError)
{
    const std::vector<std::string> notRtf = {
        "",
        "   ",
        "Hello",
        "{\\rtx1 a}",
        "\\rtf1 a",
        "{ \\rtf1 a}",
        "\xEF\xBB\xBF{\\urtf1 a}",
        std::string("\0{\\rtf1 a}", 10),
        std::string("\xFF\xFE{\0\\\0r\0t\0f\0", 12),
    };
    for (const std::string& input : notRtf) {
        const rtf::Result result = rtf::parse(input);
        EXPECT_EQ(result.error, "not an RTF document") << input;
        EXPECT_TRUE(result.document.paragraphs.empty());
    }
    const std::vector<std::string> rtf = {"{\\rtf", "{\\rtf1 a}", "\xEF\xBB\xBF{\\rtf1 a}", " \r\n\t{\\rtf1 a}"};
    for (const std::string& input : rtf) {
        EXPECT_TRUE(rtf::parse(input).ok()) << input;
    }
}

TEST(RtfReader, DamagedInputGivesWhatCouldBeRead)
{
    const std::string digits(300, '9');
    const std::string deep = std::string(10'000, '{') + "deep" + std::string(10'000, '}');
    const char withControls[] = "{\\rtf1 a\0b\x01\x1f"
                                "c}";
    expectPlainText({
        {"truncated", R"({\rtf1\ansi Hello {\b wor)", "Hello wor\n"},
        {"truncated in a control word", R"({\rtf1\ansi Hello\pa)", "Hello\n"},
        {"truncated after a backslash", "{\\rtf1\\ansi Hello\\", "Hello\n"},
        {"more closing braces", R"({\rtf1\ansi a}} b})", "a\n"},
        {"unclosed groups", R"({\rtf1\ansi {{{a{\b b)", "ab\n"},
        {"a 300-digit parameter", "\\fs" + digits + " x\\u" + digits + " ?y\\li-" + digits + " z", "x\uFFFDyz\n"},
        {"10,000 nested groups are skipped beyond the depth bound", "a" + deep + "b", "ab\n"},
        {"10,000 unclosed groups", "a" + std::string(10'000, '{') + "b", "a\n"},
        {"\\uc with a huge count", R"(\uc999999999\u233 abc{}d)", "éd\n"},
        {"\\uc with a negative count", R"(\uc-5\u233 ab)", "éab\n"},
        {"\\' with one hex digit", R"(a\'4)", "a\n"},
        {"\\' with one hex digit, then text", R"(a\'4g)", "ag\n"},
        {"\\' without hex digits", R"(a\'zz)", "azz\n"},
        {"\\bin longer than the file", R"(a\bin999999999 xyz)", "a\n"},
        {"\\bin with a negative length", R"(a\bin-5 xyz)", "axyz\n"},
        {"a 10,000-letter control word", "a\\" + std::string(10'000, 'x') + " b", "ab\n"},
        {"NUL and control bytes", std::string(withControls, sizeof withControls - 1), "abc\n"},
    });
}

TEST(RtfReader, BinaryJunkAfterTheHeaderNeverCrashes)
{
    std::mt19937 random(20240613);
    for (int round = 0; round < 200; ++round) {
        std::string junk = "{\\rtf1 ";
        const int length = static_cast<int>(random() % 4096);
        for (int i = 0; i < length; ++i) {
            // Plenty of the bytes that mean something to the reader.
            static const std::string_view special = "{}\\'*;0123456789-abuc ";
            junk += random() % 3 == 0 ? special[random() % special.size()] : static_cast<char>(random() % 256);
        }
        const rtf::Result result = rtf::parse(junk);
        EXPECT_TRUE(result.ok());
        EXPECT_LE(rtf::toPlainText(result.document).size(), junk.size() * 4);
    }
}

// Each input is larger than the reader takes: it must stop at its bounds, quickly and in little memory.
TEST(RtfReader, HugeInputsStayWithinTheBounds)
{
    auto repeated = [](std::string_view unit) {
        std::string s = "{\\rtf1\\ansi ";
        while (s.size() <= rtf::kMaxInputBytes) {
            s += unit;
        }
        return s;
    };
    auto fontTable = [] {
        std::string s = "{\\rtf1{\\fonttbl";
        for (int font = 0; s.size() <= rtf::kMaxInputBytes; ++font) {
            s += "{\\f" + std::to_string(font) + "\\fcharset238 Arial;}";
        }
        return s;
    };
    const struct
    {
        const char* what;
        std::string input;
    } cases[] = {
        {"paragraph marks", repeated("\\par ")},
        {"alternating formatting", repeated("{\\b x}{\\i y}")},
        {"characters", repeated("\\u8226?")},
        {"opening braces", repeated("{")},
        {"cells", repeated("\\intbl\\cell ")},
        {"rows that all take 64 cell edges",
         [&] {
             std::string s = repeated("\\intbl x\\row ");
             std::string edges = "\\trowd";
             for (int i = 1; i <= 64; ++i) {
                 edges += "\\cellx" + std::to_string(i * 100);
             }
             return s.insert(12, edges);
         }()},
        {"a font table", fontTable()},
        {"one long parameter", repeated("9").insert(12, "\\fs")},
    };
    for (const auto& c : cases) {
        const auto start = std::chrono::steady_clock::now();
        const rtf::Result result = rtf::parse(c.input);
        const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        EXPECT_TRUE(result.truncated) << c.what;
        EXPECT_LT(seconds, 10.0) << c.what;
        std::size_t runs = 0;
        std::size_t text = 0;
        std::size_t cells = 0;
        for (const rtf::Paragraph& paragraph : result.document.paragraphs) {
            runs += paragraph.runs.size();
            text += rtf::paragraphText(paragraph).size();
            cells += paragraph.cellStarts.size() * sizeof(std::size_t) + paragraph.cellRightEdges.size() * sizeof(int);
        }
        EXPECT_LE(text + cells + 128 * (runs + result.document.paragraphs.size()), rtf::kMaxOutputBytes + 4096)
            << c.what;
    }
}

} // namespace
