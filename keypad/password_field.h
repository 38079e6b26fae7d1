#pragma once

#include "keypad/field_view.h"

// The password field's operations and its reactions to its own events. The text stays in the field: each
// operation reads it through FieldView when it needs it and keeps no copy.
class PasswordField
{
public:
    // The drop effect that the platform reports for a completed move.
    static constexpr int kDropEffectMove = 2;

    explicit PasswordField(FieldView& field) : m_field(field) {}

    void AppendGlyph(char glyph);
    void SelectAll();
    void Back();
    void Delete();
    void Clear();
    void DragCompleted(int effect);

    // The field's own events.
    void Changed() { SelectAll(); }
    void Clicked() { SelectAll(); }

private:
    std::size_t textLength() const;

    FieldView& m_field;
};
