#pragma once

#include "keypad/help_commands.h"
#include "keypad/keypad.h"
#include "keypad/keypad_view.h"
#include "keypad/window_services.h"
#include "settings/settings_store.h"

#include <QMainWindow>
#include <map>
#include <memory>
#include <string>

class PasswordEdit;
class WindowStacking;
class QAction;
class QPushButton;

// frmKeypad: the keypad window. It lays out the keys and the field, binds their events to the keypad's
// logic, and is the logic's KeypadView and topmost band.
class KeypadWindow : public QMainWindow, public KeypadView, public TopmostBand
{
    Q_OBJECT

public:
    KeypadWindow(SettingsStore& settings, HelpCommands& help, SecondaryWindows& secondary, WindowStacking& stacking);
    ~KeypadWindow() override;

    // Start-up; runs once, before the window is first shown.
    void load();
    // Shut-down; runs once, whatever closes the window first (the close event, the session's end).
    void unload();
    // A desktop session's checkpoint (also the first step of a logout that may yet be cancelled): the
    // settings are saved and nothing else changes; the real close still runs shut-down.
    void saveSettings();

    Keypad& keypad() { return *m_keypad; }
    PasswordEdit* field() const { return m_field; }

    // KeypadView
    void SetKeyLabel(std::string_view controlName, std::string_view text) override;
    void SetMenuVisible(MenuItem item, bool visible) override;
    void SetMenuCaption(MenuItem item, std::string_view caption) override;
    void SetWindowHeight(int twips) override;
    void CloseWindow() override;
    void SetCaption(std::string_view caption) override;

    // TopmostBand
    void SetKeypadTopMost(bool on) override;

    // The client height in pixels for an outer height in twips, given the frame's height (0 while the window
    // system reports none, when an estimate stands in) and the menu bar's. Whatever the frame, the four rows
    // of keys stay fully visible and the fifth row stays hidden.
    static int clientHeightFor(int outerTwips, int frameHeight, int menuBarHeight, double scale = 1.0);
    // How much larger than designed the keypad is drawn so that every caption fits its key: 1 with the usual
    // desktop fonts, more with large ones; never less.
    double layoutScale() const { return m_scale; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildControls();
    void buildMenu();
    void applyHeight();
    // Shift and Caps look pressed in while their lock is on.
    void showLockStates();
    double scaleToFitCaptions() const;
    bool isKeyForThisWindow(QObject* receiver) const;

    WindowStacking& m_stacking;
    std::map<std::string, QPushButton*, std::less<>> m_buttons;
    std::map<MenuItem, QAction*> m_actions;
    PasswordEdit* m_field = nullptr;
    std::unique_ptr<Keypad> m_keypad;
    int m_outerHeightTwips = 0;
    double m_scale = 1.0;
    bool m_loaded = false;
    bool m_unloaded = false;
};
