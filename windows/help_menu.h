#pragma once

#include "keypad/help_commands.h"
#include "keypad/window_services.h"

class QWidget;

// The Help menu's commands and the secondary windows they open.
class HelpMenu : public HelpCommands, public SecondaryWindows
{
public:
    void setKeypadWindow(QWidget* keypad) { m_keypad = keypad; }

    void OpenFaq() override;
    void OpenLicense() override;
    void Contact() override;
    void OpenAbout() override;

    void CloseAboutIfOpen() override;

private:
    QWidget* m_keypad = nullptr;
};
