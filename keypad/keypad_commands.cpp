#include "keypad/keypad_commands.h"

void KeypadCommands::KeyDown(std::uint16_t& keyCode, int /*shift*/)
{
    if (keyCode == kKeyCodeF2) {
        m_keys.ToggleCaps();
        keyCode = 0;
    }
    if (keyCode == kKeyCodeF3) {
        m_keys.ToggleShift();
        keyCode = 0;
    }
    if (keyCode == kKeyCodeF4) {
        ToggleMenu();
        keyCode = 0;
    }
    if (keyCode == kKeyCodeEscape) {
        Exit();
        keyCode = 0;
    }
}

void KeypadCommands::ApplyMenuState(bool shown)
{
    m_view.SetMenuVisible(MenuItem::Exit, shown);
    m_view.SetMenuVisible(MenuItem::ShowHideMenu, shown);
    m_view.SetMenuCaption(MenuItem::ShowHideMenu, shown ? "Hide Menu" : "Show Menu");
    m_view.SetMenuVisible(MenuItem::Help, shown);
    m_view.SetWindowHeight(shown ? kHeightWithMenu : kHeightWithoutMenu);
}

void KeypadCommands::ToggleMenu()
{
    // The flag follows the window: it is stored only once the window has changed.
    const bool shown = !m_model.MenuShown;
    ApplyMenuState(shown);
    m_model.MenuShown = shown;
}

void KeypadCommands::Exit()
{
    m_view.CloseWindow();
}

void KeypadCommands::MenuClicked(MenuItem item)
{
    switch (item) {
    case MenuItem::Exit:
        Exit();
        break;
    case MenuItem::ShowHideMenu:
        ToggleMenu();
        break;
    case MenuItem::Help:
        break; // only opens its submenu
    case MenuItem::HelpFAQ:
        m_help.OpenFaq();
        break;
    case MenuItem::HelpLicense:
        m_help.OpenLicense();
        break;
    case MenuItem::HelpContact:
        m_help.Contact();
        break;
    case MenuItem::HelpAbout:
        m_help.OpenAbout();
        break;
    }
}
