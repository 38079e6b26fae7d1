#pragma once

// The Help menu's commands. The window layer decides what each one shows.
class HelpCommands
{
public:
    virtual ~HelpCommands() = default;

    virtual void OpenFaq() = 0;
    virtual void OpenLicense() = 0;
    virtual void Contact() = 0;
    virtual void OpenAbout() = 0;
};
