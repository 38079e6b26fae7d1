// Time to open a document in a viewer against its number of formatting runs, all in one paragraph, the way
// a hostile or machine-made document would have them: it should grow in proportion. Run by hand: build with
// -DGLYPHWARD_BENCH=ON, then `build/bench/rtf_load`.

#include "rtf/reader.h"
#include "windows/rtf_text_document.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTextDocument>
#include <benchmark/benchmark.h>
#include <memory>
#include <sys/resource.h>

namespace {

// One paragraph of RUNS runs, each a word or two in a format of its own.
QByteArray runsDocument(int runs)
{
    QByteArray rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 ";
    for (int i = 0; i < runs; ++i) {
        rtf += (i % 3 == 0 ? "{\\b word" : i % 3 == 1 ? "{\\i word" : "{\\ul word") + QByteArray::number(i) + " }";
    }
    return rtf + "\\par}";
}

void loadRuns(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("runs.rtf"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(runsDocument(static_cast<int>(state.range(0)))) < 0) {
        state.SkipWithError("cannot write the document");
        return;
    }
    file.close();
    for (auto _ : state) {
        std::unique_ptr<QTextDocument> document(loadRtfDocument(path, nullptr));
        benchmark::DoNotOptimize(document->characterCount());
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(loadRuns)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Complexity();

// A document as large as the reader takes, opened in a shown text view until it has painted: plain words in
// one paragraph (0), in paragraphs of a hundred words (1), or a run of its own for every word (2). Reports the
// peak resident memory of the whole process.
void openLargest(benchmark::State& state)
{
    const int kind = static_cast<int>(state.range(0));
    QByteArray rtf = "{\\rtf1\\ansi ";
    const int limit = static_cast<int>(rtf::kMaxInputBytes) - 64;
    for (int word = 0; rtf.size() < limit; ++word) {
        rtf += kind == 2 ? (word % 2 ? "{\\b word} " : "{\\i word} ") : "word ";
        if (kind == 1 && word % 100 == 99) {
            rtf += "\\par ";
        }
    }
    rtf += "}";
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("largest.rtf"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(rtf) < 0) {
        state.SkipWithError("cannot write the document");
        return;
    }
    file.close();
    for (auto _ : state) {
        QTextBrowser view;
        view.resize(700, 700);
        view.setDocument(loadRtfDocument(path, &view));
        view.show();
        static_cast<void>(QTest::qWaitForWindowExposed(&view));
        QCoreApplication::processEvents();
        view.grab();
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_MiB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}
BENCHMARK(openLargest)->DenseRange(0, 2)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
