#pragma once

namespace rtf {

inline constexpr char32_t kReplacementCharacter = 0xFFFD;

// The character a byte stands for in one of the single-byte Windows code pages 1250 to 1258. Bytes below
// 0x80 are ASCII in every code page; a byte the code page leaves undefined, and any byte from 0x80 up in a
// code page without a table here (the double-byte ones among them), gives U+FFFD.
char32_t decodeWindowsByte(int codePage, unsigned char byte);

} // namespace rtf
