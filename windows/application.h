#pragma once

#include <QApplication>
#include <functional>

// The application object. An error that escapes an event handler is shown to the user in a message box,
// and the program carries on: no exception may cross Qt's event loop.
class Application : public QApplication
{
    Q_OBJECT

public:
    Application(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // How an escaped error reaches the user; a message box unless replaced.
    using ErrorReporter = std::function<void(const QString& message)>;
    void setErrorReporter(ErrorReporter reporter) { m_reportError = std::move(reporter); }

private:
    ErrorReporter m_reportError;
};

// Chooses the display platform before the application object exists: under Wayland the keypad runs
// through XWayland when it can, since Wayland lets no ordinary window stay above the others.
void chooseDisplayPlatform();
