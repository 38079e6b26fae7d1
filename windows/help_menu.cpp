#include "windows/help_menu.h"

// The viewers, the About window and the Contact command are not built yet; their menu items do nothing.

void HelpMenu::OpenFaq() {}

void HelpMenu::OpenLicense() {}

void HelpMenu::Contact() {}

void HelpMenu::OpenAbout() {}

void HelpMenu::CloseAboutIfOpen() {}
