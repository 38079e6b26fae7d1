#pragma once

#include "doubles.h"
#include "keypad/keypad.h"

#include <gtest/gtest.h>

// The keypad's logic wired to a fake field and a recording window, as the keypad window wires it.
class KeypadFixture : public ::testing::Test
{
protected:
    KeypadFixture()
    {
        field.onChange = [this] { keypad.field.Changed(); };
        field.shown = true;
    }

    // A button click, followed by whatever the event loop then has to do.
    void click(std::string_view key)
    {
        keypad.keys.PressKey(key);
        field.runEvents();
    }

    void clickAll(std::initializer_list<std::string_view> keys)
    {
        for (std::string_view key : keys) {
            click(key);
        }
    }

    FakeField field;
    RecordingWindow window;
    Keypad keypad{KeypadServices{window, field, window, window, window, window}};
};
