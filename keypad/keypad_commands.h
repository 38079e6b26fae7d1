#pragma once

#include "keypad/help_commands.h"
#include "keypad/keypad_keys.h"
#include "keypad/keypad_model.h"
#include "keypad/keypad_view.h"
#include "keypad/menu_table.h"

#include <cstdint>

// Key codes of the four shortcut keys, as the keypad window reports them to KeyDown.
inline constexpr std::uint16_t kKeyCodeF2 = 113;
inline constexpr std::uint16_t kKeyCodeF3 = 114;
inline constexpr std::uint16_t kKeyCodeF4 = 115;
inline constexpr std::uint16_t kKeyCodeEscape = 27;

// Window heights, outer, in twips, with the menu bar shown and hidden.
inline constexpr int kHeightWithMenu = 2815;
inline constexpr int kHeightWithoutMenu = 2600;

// The menu commands and the four shortcut keys.
class KeypadCommands
{
public:
    KeypadCommands(KeypadModel& model, KeypadView& view, KeypadKeys& keys, HelpCommands& help)
        : m_model(model), m_view(view), m_keys(keys), m_help(help)
    {}

    // The window's key preview. A handled key has its code set to 0, which swallows it; the shift state
    // is not looked at, so Shift+F2 acts as F2.
    void KeyDown(std::uint16_t& keyCode, int shift);
    void ApplyMenuState(bool shown);
    void ToggleMenu();
    void Exit();
    // The Click of a menu item.
    void MenuClicked(MenuItem item);

private:
    KeypadModel& m_model;
    KeypadView& m_view;
    KeypadKeys& m_keys;
    HelpCommands& m_help;
};
