#pragma once

#include "keypad/key_table.h"

#include <array>
#include <cstddef>
#include <string>

// The keypad's state. The password is not part of it: it lives in the field alone.
struct KeypadModel
{
    KeypadModel();

    bool CapsLock = false;
    bool ShiftLock = false;
    bool MenuShown = false;
    // The caption each key shows, indexed like kKeyTable ("&&" for a shown ampersand).
    std::array<std::string, kKeyCount> labels;
};
