#include "windows/application.h"

#include <QMessageBox>
#include <exception>
#include <iostream>

Application::Application(int& argc, char** argv)
    : QApplication(argc, argv), m_reportError([](const QString& message) {
          QMessageBox::critical(nullptr, QStringLiteral("Glyphward OSK"), message);
      })
{
    setApplicationName("glyphward");
    setOrganizationName("glyphward");
}

bool Application::notify(QObject* receiver, QEvent* event)
{
    QString failure;
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        failure = QString::fromLocal8Bit(error.what());
    } catch (...) {
        failure = QStringLiteral("An unknown error occurred.");
    }
    m_reportError(failure);
    return false;
}

void chooseDisplayPlatform()
{
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        return;
    }
    if (!qEnvironmentVariableIsEmpty("DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "xcb");
    } else {
        std::cerr << "glyphward: Wayland without XWayland: the keypad cannot stay above other windows\n";
    }
}
