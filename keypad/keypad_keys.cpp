#include "keypad/keypad_keys.h"

#include <stdexcept>
#include <string>

void KeypadKeys::PressKey(std::string_view controlName)
{
    const auto index = findKey(controlName);
    if (!index) {
        throw std::invalid_argument("PressKey: no key named " + std::string(controlName));
    }
    // The label alone decides, not the lock flags: a key appends exactly what it shows.
    const KeyDef& key = kKeyTable[*index];
    const bool showsShifted = m_model.labels[*index] == captionFor(key.shifted);
    m_field.AppendGlyph(showsShifted ? key.shifted : key.unshifted);
}

void KeypadKeys::ToggleCaps()
{
    m_model.CapsLock = !m_model.CapsLock;
    relabel(LockGroup::Letters, m_model.CapsLock);
    m_field.SelectAll();
}

void KeypadKeys::ToggleShift()
{
    m_model.ShiftLock = !m_model.ShiftLock;
    relabel(LockGroup::Symbols, m_model.ShiftLock);
    m_field.SelectAll();
}

void KeypadKeys::relabel(LockGroup group, bool shifted)
{
    for (std::size_t i = 0; i < kKeyTable.size(); ++i) {
        const KeyDef& key = kKeyTable[i];
        if (key.group != group) {
            continue;
        }
        m_model.labels[i] = captionFor(shifted ? key.shifted : key.unshifted);
        m_view.SetKeyLabel(key.controlName, m_model.labels[i]);
    }
}
