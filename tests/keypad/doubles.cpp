#include "doubles.h"

#include <algorithm>
#include <stdexcept>

void FakeField::SetText(const SecretText& text)
{
    if (text == m_text) {
        return;
    }
    m_text = text;
    selStart = 0;
    selLength = 0;
    raiseChange();
}

void FakeField::SetFocus()
{
    if (!shown) {
        throw std::runtime_error("cannot focus a control of a window that is not shown");
    }
    focused = true;
}

void FakeField::SetSelStart(std::size_t n)
{
    selStart = std::min(n, m_text.size());
    selLength = 0;
}

void FakeField::SetSelLength(std::size_t n)
{
    selLength = std::min(n, m_text.size() - selStart);
}

void FakeField::runEvents()
{
    while (!m_queue.empty()) {
        const Keystroke key = m_queue.front();
        m_queue.pop_front();
        if (!focused) {
            continue;
        }
        if (selLength == 0) {
            if (key == Keystroke::Backspace && selStart > 0) {
                --selStart;
                selLength = 1;
            } else if (key == Keystroke::Delete && selStart < m_text.size()) {
                selLength = 1;
            }
        }
        replaceSelection("");
    }
}

void FakeField::type(char c)
{
    replaceSelection(std::string_view(&c, 1));
}

void FakeField::replaceSelection(std::string_view with)
{
    if (selLength == 0 && with.empty()) {
        return;
    }
    m_text.erase(selStart, selLength);
    m_text.insert(selStart, with);
    selStart += with.size();
    selLength = 0;
    raiseChange();
}

void FakeField::raiseChange()
{
    ++changeCount;
    if (onChange) {
        onChange();
    }
}

void RecordingWindow::SetKeyLabel(std::string_view controlName, std::string_view text)
{
    labels[std::string(controlName)] = std::string(text);
    log.push_back("label " + std::string(controlName) + " " + std::string(text));
}

void RecordingWindow::SetMenuVisible(MenuItem item, bool visible)
{
    menuVisible[item] = visible;
    log.push_back("visible " + std::string(menuDef(item).controlName) + (visible ? " on" : " off"));
}

void RecordingWindow::SetMenuCaption(MenuItem item, std::string_view text)
{
    menuCaption[item] = std::string(text);
    log.push_back("menu caption " + std::string(menuDef(item).controlName) + " " + std::string(text));
}

void RecordingWindow::SetWindowHeight(int twips)
{
    height = twips;
    log.push_back("height " + std::to_string(twips));
}

void RecordingWindow::CloseWindow()
{
    ++closeCount;
    log.push_back("close");
}

void RecordingWindow::SetCaption(std::string_view text)
{
    caption = std::string(text);
    log.push_back("caption " + caption);
}

bool RecordingWindow::ReadSetting(std::string_view fileName)
{
    log.push_back("read " + std::string(fileName));
    const auto found = settings.find(fileName);
    return found != settings.end() ? found->second : defaultSetting(fileName);
}

void RecordingWindow::WriteSetting(std::string_view fileName, bool value)
{
    settings[std::string(fileName)] = value;
    log.push_back("write " + std::string(fileName) + (value ? " true" : " false"));
}

std::vector<std::string> RecordingWindow::logWithoutLabels() const
{
    std::vector<std::string> out;
    std::copy_if(log.begin(), log.end(), std::back_inserter(out),
                 [](const std::string& line) { return line.rfind("label ", 0) != 0; });
    return out;
}
