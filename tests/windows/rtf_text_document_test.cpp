#include "support/temp_dir.h"
#include "windows/rtf_text_document.h"

#include <QElapsedTimer>
#include <QTextBlock>
#include <QTextDocument>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace {

std::unique_ptr<QTextDocument> load(const std::string& rtf, const std::function<bool()>& stop = {})
{
    TempDir dir;
    std::ofstream(dir / "doc.rtf", std::ios::binary) << rtf;
    return std::unique_ptr<QTextDocument>(
        loadRtfDocument(QString::fromStdString((dir / "doc.rtf").string()), nullptr, stop));
}

// One paragraph of RUNS runs, each a word in a format of its own.
std::string runsDocument(int runs)
{
    std::string rtf = "{\\rtf1\\ansi ";
    for (int i = 0; i < runs; ++i) {
        rtf += (i % 2 ? "{\\b w" : "{\\i w") + std::to_string(i) + " }";
    }
    return rtf + "\\par}";
}

// The document's text with the breaks between its blocks taken out.
QString joinedText(const QTextDocument& document)
{
    QString text;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        text += block.text();
    }
    return text;
}

TEST(RtfTextDocument, ManyRunsInOneParagraphLoadInTimeInProportion)
{
    // Built one insertion at a time with a layout after each, 20,000 runs took over 20 s here.
    const std::string rtf = runsDocument(20000);
    QElapsedTimer clock;
    clock.start();
    const auto document = load(rtf);
    const qint64 ms = clock.elapsed();

    EXPECT_LT(ms, 3000);
    EXPECT_TRUE(joinedText(*document).startsWith("w0 w1 w2 "));
    EXPECT_TRUE(joinedText(*document).endsWith("w19999 "));
    EXPECT_FALSE(document->isUndoAvailable()) << "no history of the building is kept";
}

TEST(RtfTextDocument, AParagraphNoDocumentWouldHaveIsShownAsSeveral)
{
    struct Case
    {
        const char* name;
        std::string text;
        int blocks;
    };
    std::string words;
    while (words.size() < 10000) {
        words += "word ";
    }
    const Case cases[] = {
        {"short", "a short paragraph", 1},
        {"10,000 characters of words", words, 3},
        {"10,000 characters without a blank", std::string(10000, 'x'), 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto document = load("{\\rtf1\\ansi " + c.text + "\\par}");

        EXPECT_EQ(document->blockCount(), c.blocks);
        EXPECT_EQ(joinedText(*document).toStdString(), c.text) << "nothing lost or added but the breaks";
        for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
            EXPECT_LE(block.length(), 4001);
            if (block.next().isValid() && c.text.find(' ') != std::string::npos) {
                EXPECT_TRUE(block.text().endsWith(' ')) << "broken after a blank";
            }
        }
    }
}

TEST(RtfTextDocument, BuildingStopsEarlyWhenAsked)
{
    const std::string rtf = runsDocument(5000);
    int asked = 0;
    const auto whole = load(rtf, [&asked] {
        ++asked;
        return false;
    });
    EXPECT_GT(asked, 0);

    const auto stopped = load(rtf, [] { return true; });
    EXPECT_GT(stopped->characterCount(), 0);
    EXPECT_LT(stopped->characterCount(), whole->characterCount() / 10);
}

} // namespace
