#include "settings/settings_store.h"
#include "windows/application.h"
#include "windows/command_line.h"
#include "windows/help_menu.h"
#include "windows/keypad_window.h"
#include "windows/native.h"
#include "windows/settings_location.h"
#include "windows/stacking.h"
#include "windows/termination.h"

#include <QGuiApplication>
#include <QSessionManager>
#include <iostream>
#include <optional>

int main(int argc, char** argv)
{
    // Before anything that could come to hold the password, or load a library, exists.
    hardenProcess();
    if (const auto status = answerCommandLine(argc, argv, std::cout)) {
        return *status;
    }
    chooseDisplayPlatform();
    std::optional<DisplayFailureGuard> displayFailure(std::in_place);
    Application app(argc, argv);
    displayFailure.reset();
    if (const auto status = rejectUnknownArguments(QCoreApplication::arguments(), std::cerr)) {
        return *status;
    }

    NativeDiskSync diskSync;
    DirectorySettingsStore settings(settingsDirectory(QCoreApplication::applicationDirPath()).toStdU16String(),
                                    diskSync, std::cerr);
    NativeStacking stacking;
    HelpMenu help(stacking, QCoreApplication::applicationDirPath());
    KeypadWindow keypad(settings, help, help, stacking);
    help.setKeypadWindow(&keypad);

    // The session manager asks for this at every checkpoint and before a logout that the user may still
    // cancel: the settings are saved, nothing is closed. SIGTERM, SIGHUP and SIGINT close the window.
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &keypad, [&keypad] { keypad.saveSettings(); });
    closeOnTermination(&keypad);

    keypad.load();
    keypad.show();
    return app.exec();
}
