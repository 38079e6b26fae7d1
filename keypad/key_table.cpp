#include "keypad/key_table.h"

namespace {
constexpr KeyDef letter(std::string_view name, char small)
{
    return {name, small, static_cast<char>(small - 'a' + 'A'), LockGroup::Letters};
}

constexpr KeyDef symbol(std::string_view name, char unshifted, char shifted)
{
    return {name, unshifted, shifted, LockGroup::Symbols};
}
} // namespace

const std::array<KeyDef, kKeyCount> kKeyTable = {
    symbol("cmd1", '1', '!'),
    symbol("cmd2", '2', '@'),
    symbol("cmd3", '3', '#'),
    symbol("cmd4", '4', '$'),
    symbol("cmd5", '5', '%'),
    symbol("cmd6", '6', '^'),
    symbol("cmd7", '7', '&'),
    symbol("cmd8", '8', '*'),
    symbol("cmd9", '9', '('),
    symbol("cmd0", '0', ')'),
    symbol("cmdDash", '-', '_'),
    symbol("cmdEquals", '=', '+'),
    symbol("cmdFSlash", '/', '?'),
    symbol("cmdBSlash", '\\', '|'),
    symbol("cmdLBracket", '[', '{'),
    symbol("cmdRBracket", ']', '}'),
    symbol("cmdComma", ',', '<'),
    symbol("cmdPeriod", '.', '>'),
    letter("cmdA", 'a'),
    letter("cmdB", 'b'),
    letter("cmdC", 'c'),
    letter("cmdD", 'd'),
    letter("cmdE", 'e'),
    letter("cmdF", 'f'),
    letter("cmdG", 'g'),
    letter("cmdH", 'h'),
    letter("cmdI", 'i'),
    letter("cmdJ", 'j'),
    letter("cmdK", 'k'),
    letter("cmdL", 'l'),
    letter("cmdM", 'm'),
    letter("cmdN", 'n'),
    letter("cmdO", 'o'),
    letter("cmdP", 'p'),
    letter("cmdQ", 'q'),
    letter("cmdR", 'r'),
    letter("cmdS", 's'),
    letter("cmdT", 't'),
    letter("cmdU", 'u'),
    letter("cmdV", 'v'),
    letter("cmdW", 'w'),
    letter("cmdX", 'x'),
    letter("cmdY", 'y'),
    letter("cmdZ", 'z'),
};

std::optional<std::size_t> findKey(std::string_view controlName)
{
    for (std::size_t i = 0; i < kKeyTable.size(); ++i) {
        if (kKeyTable[i].controlName == controlName) {
            return i;
        }
    }
    return std::nullopt;
}

std::string captionFor(char glyph)
{
    return glyph == '&' ? std::string("&&") : std::string(1, glyph);
}
