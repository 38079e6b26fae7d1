#pragma once

#include "keypad/help_commands.h"
#include "keypad/window_services.h"
#include "windows/about_window.h"
#include "windows/document_viewer.h"

#include <QPointer>
#include <QString>

class QMessageBox;
class QWidget;
class WindowStacking;

// The Help menu's commands and the secondary windows they open. Each hands the topmost band over from the
// keypad to the window it opens; the window hands it back when it closes.
class HelpMenu : public HelpCommands, public SecondaryWindows
{
public:
    HelpMenu(WindowStacking& stacking, QString documentDirectory);

    void setKeypadWindow(QWidget* keypad) { m_keypad = keypad; }
    // For tests: how long the About window stays open.
    void setAboutInterval(int milliseconds) { m_aboutIntervalMs = milliseconds; }
    AboutWindow* aboutWindow() const { return m_about; }

    void OpenFaq() override { OpenViewer(ViewerKind::Faq); }
    void OpenLicense() override { OpenViewer(ViewerKind::License); }
    void Contact() override;
    void OpenAbout() override;

    // Run by the keypad's shut-down: besides the About window it dismisses an open Contact box, whose link is
    // then not opened.
    void CloseAboutIfOpen() override;

    static QString contactText();
    static QString mailLink();

private:
    void OpenViewer(ViewerKind kind);

    WindowStacking& m_stacking;
    QString m_documentDirectory;
    QPointer<QWidget> m_keypad;
    QPointer<AboutWindow> m_about;
    QPointer<QMessageBox> m_contactBox;
    bool m_keypadShutDown = false;
    int m_aboutIntervalMs;
};
