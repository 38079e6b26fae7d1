#pragma once

#include "rtf/document.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace rtf {

// Bounds that keep a damaged or hostile file from costing more than a few tens of megabytes or more than
// linear time.
inline constexpr std::size_t kMaxInputBytes = 16u << 20;  // only this much of a longer input is read
inline constexpr std::size_t kMaxOutputBytes = 16u << 20; // text plus a fixed charge per run and paragraph
inline constexpr int kMaxGroupDepth = 1000;               // a group nested deeper is skipped with everything in it
inline constexpr std::size_t kMaxCellsPerRow = 64;        // more than word processors allow; later cells join the last

struct Result
{
    Document document;
    std::string error;      // empty when the bytes are RTF
    bool truncated = false; // a bound above cut the document short

    bool ok() const { return error.empty(); }
};

// Reads an RTF document. Only bytes that do not start with "{\rtf" (after an optional UTF-8 byte-order mark
// and white space) are an error; anything after that gives what could be read, however damaged the rest is:
// an unterminated file ends where the bytes end, and reading stops where the outermost group closes.
//
// How the text is read:
// - A paragraph takes the paragraph formatting that holds at its mark (\par, \row, or the end of the file).
//   \page, \sect and \column end the paragraph like \par.
// - A table row takes the cell edges (\cellx) given since the last \trowd.
// - \- (an optional hyphen) is kept as U+00AD, where a line may be broken.
// - Bytes (\'hh or 8-bit text) are decoded in the current font's code page (its \cpg or \fcharset), else in
//   \ansicpg, else in Windows-1252. Only 1250 to 1258 are known: other code pages give U+FFFD from 0x80 up
//   and are left to \u. In symbol fonts 0xB7 and 0xA7, the usual list bullets, become U+2022 and U+25AA.
// - Hidden text (\v), destinations marked \* and the known destinations without text (style sheet, info,
//   pictures, objects, list tables, headers, footers, footnotes, field instructions, ...) are left out.
Result parse(std::string_view bytes);

} // namespace rtf
