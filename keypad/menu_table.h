#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

// The keypad window's menu items.
enum class MenuItem
{
    Exit,
    ShowHideMenu,
    Help,
    HelpFAQ,
    HelpLicense,
    HelpContact,
    HelpAbout,
};

struct MenuDef
{
    MenuItem item;
    std::string_view controlName;
    std::string_view designCaption; // "&" marks the mnemonic letter
    std::optional<MenuItem> parent; // none for the items on the menu bar itself
};

// The menu in display order: the bar's items, each followed by its submenu's items.
inline constexpr std::array<MenuDef, 7> kMenuTable = {{
    {MenuItem::Exit, "mnuExit", "&Exit", std::nullopt},
    {MenuItem::ShowHideMenu, "mnuShowHideMenu", "&Show/Hide Menu", std::nullopt},
    {MenuItem::Help, "mnuHelp", "&Help", std::nullopt},
    {MenuItem::HelpFAQ, "mnuHelpFAQ", "&F.A.Q.", MenuItem::Help},
    {MenuItem::HelpLicense, "mnuHelpLicense", "&License", MenuItem::Help},
    {MenuItem::HelpContact, "mnuHelpContact", "&Contact Brivex", MenuItem::Help},
    {MenuItem::HelpAbout, "mnuHelpAbout", "&About", MenuItem::Help},
}};

const MenuDef& menuDef(MenuItem item);
