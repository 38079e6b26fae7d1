#pragma once

#include "keypad/secret_text.h"

#include <cstddef>

enum class Keystroke
{
    Backspace,
    Delete,
};

// What the keypad logic needs of the password field. Failures are thrown as exceptions.
class FieldView
{
public:
    virtual ~FieldView() = default;

    virtual SecretText GetText() const = 0;
    // Raises the field's Change event when the text differs from the current one.
    virtual void SetText(const SecretText& text) = 0;
    // May fail while the window is not yet shown.
    virtual void SetFocus() = 0;
    // Caret to position n, nothing selected.
    virtual void SetSelStart(std::size_t n) = 0;
    // Selects n characters from the caret, clipped at the end of the text.
    virtual void SetSelLength(std::size_t n) = 0;
    // Queues a keystroke for the focused control; it is handled after the current handler returns.
    virtual void SendKeystroke(Keystroke key) = 0;
};
