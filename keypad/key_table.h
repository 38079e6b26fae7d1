#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Which lock relabels a key: Caps lock the letters, Shift lock the digits and punctuation.
enum class LockGroup
{
    Letters,
    Symbols,
};

// One character key of the keypad.
struct KeyDef
{
    std::string_view controlName;
    char unshifted;
    char shifted;
    LockGroup group;
};

inline constexpr std::size_t kKeyCount = 44;

// The 44 character keys: the Symbols keys in the order Shift lock relabels them, then cmdA to cmdZ.
extern const std::array<KeyDef, kKeyCount> kKeyTable;

// Index of a key in kKeyTable by its control name.
std::optional<std::size_t> findKey(std::string_view controlName);

// The button caption that shows a glyph. Button captions treat "&" as a mnemonic marker, so a literal
// ampersand is written "&&"; every other glyph is its own caption.
std::string captionFor(char glyph);
