#pragma once

#include <string_view>
#include <vector>

// Where each control of the keypad window sits, in twips within the client area.
struct ControlLayout
{
    std::string_view name;
    int left;
    int top;
    int width;
    int height;
    std::string_view caption;
    std::string_view tooltip;
    bool inTabOrder;
};

inline constexpr int kDesignClientWidth = 8025;
inline constexpr int kDesignClientHeight = 2025;
inline constexpr std::string_view kFieldName = "txtPWord";
inline constexpr std::string_view kFieldTooltip = "Drag and Drop these characters to the password box.";

// Every control of the keypad window in tab order: the 44 character keys row by row, the left column, the
// field, then the two buttons of the fifth row, which lie below the visible client area and are not part of
// the tab order.
const std::vector<ControlLayout>& keypadLayout();

const ControlLayout& controlLayout(std::string_view name);
