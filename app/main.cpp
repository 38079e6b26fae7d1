#include "settings/settings_store.h"
#include "windows/application.h"
#include "windows/help_menu.h"
#include "windows/keypad_window.h"
#include "windows/native.h"
#include "windows/settings_location.h"
#include "windows/stacking.h"
#include "windows/termination.h"

#include <QGuiApplication>
#include <QSessionManager>
#include <iostream>

int main(int argc, char** argv)
{
    // Before anything that could come to hold the password, or load a library, exists.
    hardenProcess();
    chooseDisplayPlatform();
    Application app(argc, argv);

    NativeDiskSync diskSync;
    DirectorySettingsStore settings(settingsDirectory(QCoreApplication::applicationDirPath()).toStdU16String(),
                                    diskSync, std::cerr);
    NativeStacking stacking;
    HelpMenu help(stacking, QCoreApplication::applicationDirPath());
    KeypadWindow keypad(settings, help, help, stacking);
    help.setKeypadWindow(&keypad);

    // The desktop session's end saves the settings as a close would; SIGTERM, SIGHUP and SIGINT close the
    // window.
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &keypad, [&keypad] { keypad.unload(); });
    closeOnTermination(&keypad);

    keypad.load();
    keypad.show();
    return app.exec();
}
