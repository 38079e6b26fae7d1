#pragma once

#include "keypad/field_view.h"
#include "keypad/help_commands.h"
#include "keypad/keypad_commands.h"
#include "keypad/keypad_keys.h"
#include "keypad/keypad_model.h"
#include "keypad/keypad_view.h"
#include "keypad/password_field.h"
#include "keypad/window_services.h"
#include "settings/settings_store.h"

// Everything the keypad's logic talks to; the keypad window provides them.
struct KeypadServices
{
    KeypadView& view;
    FieldView& field;
    HelpCommands& help;
    TopmostBand& topmost;
    SecondaryWindows& secondary;
    SettingsStore& settings;
};

// The keypad window's logic: its state, its operations, and what happens when it opens and closes.
class Keypad
{
public:
    explicit Keypad(const KeypadServices& services);
    Keypad(const Keypad&) = delete;
    Keypad& operator=(const Keypad&) = delete;

    // Before the window is first shown: restores the settings, goes on top and sets the title.
    void StartUp();
    // Whatever closes the window: saves the settings and closes the About window. Never cancels closing.
    void ShutDown();
    // The settings part of shut-down alone, for the desktop session's checkpoints, after which the keypad
    // goes on as before.
    void SaveSettings();

    KeypadModel model;
    PasswordField field;
    KeypadKeys keys;
    KeypadCommands commands;

private:
    KeypadServices m_services;
};
