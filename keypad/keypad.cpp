#include "keypad/keypad.h"

#include "keypad/module1.h"
#include "keypad/program_info.h"
#include "keypad/version.h"

#include <string>

Keypad::Keypad(const KeypadServices& services)
    : field(services.field), keys(model, services.view, field), commands(model, services.view, keys, services.help),
      m_services(services)
{}

void Keypad::StartUp()
{
    SettingsStore& settings = m_services.settings;

    model.MenuShown = settings.ReadSetting(kMenuFile);
    commands.ApplyMenuState(model.MenuShown);

    // A lock is restored by clearing it and toggling, so that the keys are relabelled too.
    model.CapsLock = settings.ReadSetting(kCapsFile);
    if (model.CapsLock) {
        model.CapsLock = false;
        keys.ToggleCaps();
    }
    model.ShiftLock = settings.ReadSetting(kShiftFile);
    if (model.ShiftLock) {
        model.ShiftLock = false;
        keys.ToggleShift();
    }

    m_services.topmost.SetKeypadTopMost(true);

    Module1::TitleName = "Glyphward OSK ";
    Module1::TitleCredit = " - - by: Ansel Verrick - - " + std::string(glyphward::kWebAddress);
    Module1::VersionText =
        Module1::BuildVersionText(glyphward::kVersionMajor, glyphward::kVersionMinor, glyphward::kVersionRevision);
    m_services.view.SetCaption(Module1::KeypadTitle());
}

void Keypad::ShutDown()
{
    SaveSettings();
    m_services.secondary.CloseAboutIfOpen();
}

void Keypad::SaveSettings()
{
    SettingsStore& settings = m_services.settings;
    settings.WriteSetting(kMenuFile, model.MenuShown);
    settings.WriteSetting(kCapsFile, model.CapsLock);
    settings.WriteSetting(kShiftFile, model.ShiftLock);
}
