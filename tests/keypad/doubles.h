#pragma once

#include "keypad/field_view.h"
#include "keypad/help_commands.h"
#include "keypad/keypad_view.h"
#include "keypad/window_services.h"
#include "settings/settings_store.h"

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

// A password field that behaves like the platform's text box: the selection is clipped at the end of the
// text, focus fails until the window is shown, Change is raised only when the text really changes, and
// queued keystrokes wait until runEvents() plays the event loop's part.
class FakeField : public FieldView
{
public:
    SecretText GetText() const override { return m_text; }
    void SetText(const SecretText& text) override;
    void SetFocus() override;
    void SetSelStart(std::size_t n) override;
    void SetSelLength(std::size_t n) override;
    void SendKeystroke(Keystroke key) override { m_queue.push_back(key); }

    // Handles the queued keystrokes, and the Change events they raise, as the event loop would.
    void runEvents();
    // A printable key typed by the user into the focused field.
    void type(char c);

    std::string text() const { return std::string(m_text.view()); }
    std::string selectedText() const { return text().substr(selStart, selLength); }
    bool wholeTextSelected() const { return selStart == 0 && selLength == m_text.size(); }

    bool shown = false;
    bool focused = false;
    std::size_t selStart = 0;
    std::size_t selLength = 0;
    int changeCount = 0;
    std::function<void()> onChange;

private:
    void replaceSelection(std::string_view with);
    void raiseChange();

    SecretText m_text;
    std::deque<Keystroke> m_queue;
};

// The window side, recording every call in order. It also stands in for the settings store, so one log
// shows how start-up and shut-down interleave reading and writing with the window.
class RecordingWindow : public KeypadView,
                        public HelpCommands,
                        public TopmostBand,
                        public SecondaryWindows,
                        public SettingsStore
{
public:
    void SetKeyLabel(std::string_view controlName, std::string_view text) override;
    void SetMenuVisible(MenuItem item, bool visible) override;
    void SetMenuCaption(MenuItem item, std::string_view caption) override;
    void SetWindowHeight(int twips) override;
    void CloseWindow() override;
    void SetCaption(std::string_view caption) override;

    void OpenFaq() override { log.push_back("faq"); }
    void OpenLicense() override { log.push_back("license"); }
    void Contact() override { log.push_back("contact"); }
    void OpenAbout() override { log.push_back("about"); }

    void SetKeypadTopMost(bool on) override { log.push_back(std::string("topmost ") + (on ? "on" : "off")); }
    void CloseAboutIfOpen() override { log.push_back("close about"); }

    bool ReadSetting(std::string_view fileName) override;
    void WriteSetting(std::string_view fileName, bool value) override;

    // The log without the key relabelling, which is checked through `labels`.
    std::vector<std::string> logWithoutLabels() const;

    std::vector<std::string> log;
    std::map<std::string, std::string, std::less<>> labels;
    std::map<std::string, bool, std::less<>> settings;
    std::map<MenuItem, bool> menuVisible;
    std::map<MenuItem, std::string> menuCaption;
    int height = 0;
    std::string caption;
    int closeCount = 0;
};
