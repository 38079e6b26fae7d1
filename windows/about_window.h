#pragma once

#include <QPointer>
#include <QTimer>
#include <QWidget>

class QLabel;
class WindowStacking;

// frmAboutGlyphward: a borderless window with the banner, the version and the credits. It closes by itself
// after a few seconds, or at once when one of its texts is clicked, and gives the topmost band back to the
// keypad when it goes.
class AboutWindow : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kDefaultIntervalMs = 5000;

    AboutWindow(QWidget* keypad, WindowStacking& stacking, int intervalMs = kDefaultIntervalMs);

    bool timerActive() const { return m_timer.isActive(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void load();

    QPointer<QWidget> m_keypad;
    WindowStacking& m_stacking;
    QTimer m_timer;
    int m_intervalMs;
    QLabel* m_lblVersion = nullptr;
};
