#pragma once

#include "keypad/help_commands.h"
#include "keypad/window_services.h"
#include "settings/settings_store.h"
#include "windows/stacking.h"

#include <QWidget>
#include <map>
#include <string>
#include <vector>

// Settings kept in memory, with the order of writes.
struct MemorySettings : SettingsStore
{
    bool ReadSetting(std::string_view name) override
    {
        const auto found = values.find(name);
        return found != values.end() ? found->second : defaultSetting(name);
    }
    void WriteSetting(std::string_view name, bool value) override
    {
        values[std::string(name)] = value;
        writes.emplace_back(name);
    }
    std::map<std::string, bool, std::less<>> values;
    std::vector<std::string> writes;
};

// Help commands that only note what was asked of them.
struct NullHelp : HelpCommands, SecondaryWindows
{
    void OpenFaq() override { log.push_back("faq"); }
    void OpenLicense() override { log.push_back("license"); }
    void Contact() override { log.push_back("contact"); }
    void OpenAbout() override { log.push_back("about"); }
    void CloseAboutIfOpen() override { log.push_back("close about"); }
    std::vector<std::string> log;
};

// The stacking procedure, recording each call as "<object name> on|off".
struct RecordingStacking : WindowStacking
{
    void SetTopMost(QWidget* window, bool on) override
    {
        log.push_back((window ? window->objectName().toStdString() : std::string("(none)")) + (on ? " on" : " off"));
    }
    std::vector<std::string> log;
};
