#include "keypad/keypad_layout.h"

#include "keypad/key_table.h"

#include <array>
#include <stdexcept>
#include <string>

namespace {
constexpr int kButtonHeight = 375;
constexpr int kKeyWidth = 495;
constexpr int kKeyLeft = 840;
constexpr int kKeyPitch = 600;
constexpr int kLeftColumnX = 120;
constexpr int kLeftColumnWidth = 615;
constexpr std::array<int, 4> kRowTops = {120, 600, 1080, 1560};

// The character keys as they stand on the keypad; the field takes the empty places of the last row.
constexpr std::array<std::array<std::string_view, 12>, 4> kKeyGrid = {{
    {"cmd1", "cmd2", "cmd3", "cmd4", "cmd5", "cmd6", "cmd7", "cmd8", "cmd9", "cmd0", "cmdDash", "cmdEquals"},
    {"cmdA", "cmdB", "cmdC", "cmdD", "cmdE", "cmdF", "cmdG", "cmdH", "cmdI", "cmdJ", "cmdK", "cmdLBracket"},
    {"cmdL", "cmdM", "cmdN", "cmdO", "cmdP", "cmdQ", "cmdR", "cmdS", "cmdT", "cmdU", "cmdV", "cmdRBracket"},
    {"cmdW", "cmdX", "cmdY", "cmdZ", "", "", "", "", "cmdComma", "cmdPeriod", "cmdFSlash", "cmdBSlash"},
}};

// The editing keys of the left column, top to bottom.
constexpr std::array<std::array<std::string_view, 3>, 4> kLeftColumn = {{
    {"cmdShift", "Shift", "Shift Lock"},
    {"cmdCaps", "Caps", "Caps Lock"},
    {"cmdClear", "Clear", "Clear All Characters"},
    {"cmdBackSpace", "Back", "Back Space (Remove 1 Character Going Left)"},
}};

// Key captions must outlive the table, which holds views.
const std::array<std::string, kKeyCount>& keyCaptions()
{
    static const auto captions = [] {
        std::array<std::string, kKeyCount> out;
        for (std::size_t i = 0; i < kKeyCount; ++i) {
            out[i] = captionFor(kKeyTable[i].unshifted);
        }
        return out;
    }();
    return captions;
}

std::vector<ControlLayout> buildLayout()
{
    std::vector<ControlLayout> layout;
    for (std::size_t row = 0; row < kKeyGrid.size(); ++row) {
        for (std::size_t column = 0; column < kKeyGrid[row].size(); ++column) {
            const std::string_view name = kKeyGrid[row][column];
            if (name.empty()) {
                continue;
            }
            const std::size_t key = findKey(name).value();
            layout.push_back({name, kKeyLeft + kKeyPitch * static_cast<int>(column), kRowTops[row], kKeyWidth,
                              kButtonHeight, keyCaptions()[key], "", true});
        }
    }
    for (std::size_t row = 0; row < kLeftColumn.size(); ++row) {
        const auto& [name, caption, tooltip] = kLeftColumn[row];
        layout.push_back({name, kLeftColumnX, kRowTops[row], kLeftColumnWidth, kButtonHeight, caption, tooltip, true});
    }
    layout.push_back({kFieldName, 3240, 1560, 2295, kButtonHeight, "", kFieldTooltip, true});
    layout.push_back({"cmdDelete", 360, 2520, 615, kButtonHeight, "Del", "Delete (Remove From Right)", false});
    layout.push_back({"cmdSelectAll", 5280, 2520, 1095, kButtonHeight, "Select All", "", false});
    return layout;
}
} // namespace

const std::vector<ControlLayout>& keypadLayout()
{
    static const std::vector<ControlLayout> layout = buildLayout();
    return layout;
}

const ControlLayout& controlLayout(std::string_view name)
{
    for (const ControlLayout& control : keypadLayout()) {
        if (control.name == name) {
            return control;
        }
    }
    throw std::invalid_argument("no control named " + std::string(name));
}
