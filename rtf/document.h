#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// What the RTF reader makes of a document: just enough to show the help texts, nothing a word processor
// would need to write them back.
namespace rtf {

enum class Alignment
{
    Left,
    Centre,
    Right,
    Justified,
};

struct Rgb
{
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;

    bool operator==(const Rgb&) const = default;
};

struct CharFormat
{
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeThrough = false;
    int halfPoints = 24;       // the size as RTF gives it: 24 is 12 pt
    std::optional<Rgb> colour; // nothing: the viewer's default text colour
    std::string fontFamily;    // empty: the viewer's default font

    bool operator==(const CharFormat&) const = default;
};

// Text of one format. Tabs are '\t'; a line break inside the paragraph (\line, or a paragraph break inside a
// table cell) is '\n'. Everything else is printable UTF-8.
struct Run
{
    std::string text;
    CharFormat format;

    bool operator==(const Run&) const = default;
};

// A paragraph, or a whole table row with its cells separated by '\t'. A list item's bullet or number is
// ordinary text at the start of its first run. Indents and spacing are in twips (1/1440 inch); the first-line
// indent is relative to the left one and may be negative.
struct Paragraph
{
    Alignment alignment = Alignment::Left;
    int leftIndent = 0;
    int rightIndent = 0;
    int firstLineIndent = 0;
    int spaceBefore = 0;
    int spaceAfter = 0;
    std::vector<Run> runs;

    // Only a table row has cells. Each starts at a byte offset into the row's text; the '\t' before every
    // start but the first separates the cells, any other '\t' is the cells' own.
    std::vector<std::size_t> cellStarts;
    // The cells' right edges from \cellx, in twips from the row's left, as far as the row gives them.
    std::vector<int> cellRightEdges;

    bool isTableRow() const { return !cellStarts.empty(); }

    bool operator==(const Paragraph&) const = default;
};

struct Document
{
    std::vector<Paragraph> paragraphs;
};

// The text of a paragraph, its runs joined.
std::string paragraphText(const Paragraph& paragraph);

// The document as plain text: every paragraph (table rows included) on a line of its own ended by '\n',
// table cells separated by '\t', a line break inside a paragraph as '\n'.
std::string toPlainText(const Document& document);

} // namespace rtf
