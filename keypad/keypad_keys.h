#pragma once

#include "keypad/keypad_model.h"
#include "keypad/keypad_view.h"
#include "keypad/password_field.h"

#include <string_view>

// The 44 character keys and the two locks that relabel them.
class KeypadKeys
{
public:
    KeypadKeys(KeypadModel& model, KeypadView& view, PasswordField& field)
        : m_model(model), m_view(view), m_field(field)
    {}

    // Appends the glyph that the key shows right now; throws std::invalid_argument for an unknown key.
    void PressKey(std::string_view controlName);
    void ToggleCaps();
    void ToggleShift();

private:
    void relabel(LockGroup group, bool shifted);

    KeypadModel& m_model;
    KeypadView& m_view;
    PasswordField& m_field;
};
