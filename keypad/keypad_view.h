#pragma once

#include "keypad/menu_table.h"

#include <string_view>

// What the keypad logic needs of its window. The keypad window implements it; tests use doubles.
class KeypadView
{
public:
    virtual ~KeypadView() = default;

    virtual void SetKeyLabel(std::string_view controlName, std::string_view text) = 0;
    virtual void SetMenuVisible(MenuItem item, bool visible) = 0;
    virtual void SetMenuCaption(MenuItem item, std::string_view caption) = 0;
    // Outer height of the window, frame included, in twips.
    virtual void SetWindowHeight(int twips) = 0;
    // Closes the window the way its close box does, so that shut-down runs.
    virtual void CloseWindow() = 0;
    virtual void SetCaption(std::string_view caption) = 0;
};
