// Click latency of the keypad window offscreen: from a key's click through the keypad logic to the field
// painted again, and the two halves apart. Run by hand: build with -DGLYPHWARD_BENCH=ON, then
// `build/bench/click_latency`.

#include "window_doubles.h"
#include "windows/keypad_window.h"
#include "windows/password_edit.h"

#include <QApplication>
#include <QImage>
#include <QPushButton>
#include <QTest>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

// The field is emptied outside the timed part whenever it holds this many characters, so that every
// iteration paints a field of about the same length.
constexpr std::size_t kMaxLength = 32;

class Keypad
{
public:
    Keypad() : m_window(std::make_unique<KeypadWindow>(m_settings, m_help, m_help, m_stacking))
    {
        m_window->load();
        m_window->show();
        QApplication::setActiveWindow(m_window.get());
        static_cast<void>(QTest::qWaitForWindowExposed(m_window.get()));
        m_key = m_window->findChild<QPushButton*>("cmdA");
        m_clear = m_window->findChild<QPushButton*>("cmdClear");
    }

    QPushButton* key() const { return m_key; }
    PasswordEdit* field() const { return m_window->field(); }

    void clearWhenFull(benchmark::State& state)
    {
        if (field()->textLength() >= kMaxLength) {
            state.PauseTiming();
            m_clear->click();
            QCoreApplication::processEvents();
            state.ResumeTiming();
        }
    }

private:
    MemorySettings m_settings;
    NullHelp m_help;
    RecordingStacking m_stacking;
    std::unique_ptr<KeypadWindow> m_window;
    QPushButton* m_key = nullptr;
    QPushButton* m_clear = nullptr;
};

// A real mouse click on the key (press and release events through the application), the logic, and the
// field's repaint into the window's backing store.
void clickToRepaint(benchmark::State& state)
{
    Keypad keypad;
    for (auto _ : state) {
        QTest::mouseClick(keypad.key(), Qt::LeftButton);
        keypad.field()->repaint();
        keypad.clearWhenFull(state);
    }
    state.counters["length"] = static_cast<double>(keypad.field()->textLength());
}
BENCHMARK(clickToRepaint)->Unit(benchmark::kMicrosecond);

// The same, with the field drawn into an image: what it looks like after the click, independent of the
// platform's backing store.
void clickToImage(benchmark::State& state)
{
    Keypad keypad;
    QImage image(keypad.field()->size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        QTest::mouseClick(keypad.key(), Qt::LeftButton);
        keypad.field()->render(&image);
        benchmark::DoNotOptimize(image.constBits());
        keypad.clearWhenFull(state);
    }
}
BENCHMARK(clickToImage)->Unit(benchmark::kMicrosecond);

// The click and the logic alone: QPushButton::click() emits clicked() at once, without mouse events, and
// the field only schedules its repaint.
void clickLogicOnly(benchmark::State& state)
{
    Keypad keypad;
    for (auto _ : state) {
        keypad.key()->click();
        keypad.clearWhenFull(state);
    }
    QCoreApplication::processEvents();
}
BENCHMARK(clickLogicOnly)->Unit(benchmark::kMicrosecond);

// The field's repaint alone, with a field of fixed length.
void fieldRepaintOnly(benchmark::State& state)
{
    Keypad keypad;
    for (int i = 0; i < 16; ++i) {
        keypad.key()->click();
    }
    for (auto _ : state) {
        keypad.field()->repaint();
    }
}
BENCHMARK(fieldRepaintOnly)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    // The benchmark measures the widgets, not a display: offscreen unless a platform was asked for.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
