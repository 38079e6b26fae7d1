#include "keypad/password_field.h"

void PasswordField::AppendGlyph(char glyph)
{
    SecretText text = m_field.GetText();
    text.append(glyph);
    m_field.SetText(text);
}

void PasswordField::SelectAll()
{
    // Each step is tried on its own: focus fails while the window is not yet shown, and the selection
    // must still be set then.
    try {
        m_field.SetFocus();
    } catch (...) {
    }
    try {
        m_field.SetSelStart(0);
    } catch (...) {
    }
    try {
        m_field.SetSelLength(textLength());
    } catch (...) {
    }
}

void PasswordField::Back()
{
    m_field.SetFocus();
    m_field.SetSelStart(textLength());
    m_field.SendKeystroke(Keystroke::Backspace);
}

void PasswordField::Delete()
{
    m_field.SetFocus();
    m_field.SetSelStart(textLength());
    m_field.SetSelLength(textLength());
    m_field.SendKeystroke(Keystroke::Delete);
}

void PasswordField::Clear()
{
    m_field.SetText(SecretText());
}

void PasswordField::DragCompleted(int effect)
{
    if (effect == kDropEffectMove) {
        m_field.SetText(SecretText());
    }
}

std::size_t PasswordField::textLength() const
{
    return m_field.GetText().size();
}
