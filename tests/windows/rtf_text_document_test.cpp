#include "support/temp_dir.h"
#include "windows/rtf_text_document.h"

#include <QAbstractTextDocumentLayout>
#include <QElapsedTimer>
#include <QFontMetricsF>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QTextTable>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

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

// ROWS rows of two cells each.
std::string rowsDocument(int rows)
{
    std::string rtf = "{\\rtf1\\ansi ";
    for (int i = 0; i < rows; ++i) {
        rtf += "\\trowd\\cellx1500\\cellx4500\\intbl k" + std::to_string(i) + "\\cell v\\cell\\row ";
    }
    return rtf + "}";
}

std::vector<QTextTable*> tablesOf(const QTextDocument& document)
{
    std::vector<QTextTable*> tables;
    for (QTextFrame* frame : document.rootFrame()->childFrames()) {
        if (auto* table = qobject_cast<QTextTable*>(frame)) {
            tables.push_back(table);
        }
    }
    return tables;
}

QString cellText(const QTextTable& table, int row, int column)
{
    const QTextTableCell cell = table.cellAt(row, column);
    QTextCursor cursor = cell.firstCursorPosition();
    cursor.setPosition(cell.lastCursorPosition().position(), QTextCursor::KeepAnchor);
    return cursor.selectedText();
}

std::vector<qreal> columnWidths(const QTextTable& table)
{
    std::vector<qreal> widths;
    for (const QTextLength& length : table.format().columnWidthConstraints()) {
        EXPECT_EQ(length.type(), QTextLength::FixedLength);
        widths.push_back(length.rawValue());
    }
    return widths;
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
    for (const std::string& rtf : {runsDocument(5000), rowsDocument(5000)}) {
        SCOPED_TRACE(rtf.substr(0, 40));
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
}

TEST(RtfTextDocument, ConsecutiveRowsOfTheSameCellsAreOneTable)
{
    const auto document = load(R"({\rtf1\ansi before\par)"
                               R"(\trowd\cellx1500\cellx4500\intbl a\tab b\cell c\cell\row)"
                               R"(\trowd\cellx1500\cellx4500\intbl {\b d}\cell e\par f\cell\row)"
                               R"(\trowd\cellx3000\intbl g\cell\row)"
                               R"(\pard after\par})");
    const std::vector<QTextTable*> tables = tablesOf(*document);
    ASSERT_EQ(tables.size(), 2u) << "a row of other cells starts a table of its own";

    const QTextTable& first = *tables[0];
    ASSERT_EQ(first.rows(), 2);
    ASSERT_EQ(first.columns(), 2);
    EXPECT_EQ(cellText(first, 0, 0), "a\tb") << "a tab inside a cell stays in it";
    EXPECT_EQ(cellText(first, 0, 1), "c");
    EXPECT_EQ(cellText(first, 1, 0), "d");
    EXPECT_EQ(cellText(first, 1, 1), QStringLiteral("e\u2028f"));
    QTextCursor bold = first.cellAt(1, 0).firstCursorPosition();
    bold.movePosition(QTextCursor::NextCharacter);
    EXPECT_EQ(bold.charFormat().fontWeight(), QFont::Bold);
    EXPECT_EQ(columnWidths(first), (std::vector<qreal>{100, 200})) << "15 twips to the pixel, edge to edge";
    EXPECT_EQ(first.format().border(), 1);

    const QTextTable& second = *tables[1];
    ASSERT_EQ(second.rows(), 1);
    EXPECT_EQ(cellText(second, 0, 0), "g");
    EXPECT_EQ(columnWidths(second), std::vector<qreal>{200});

    EXPECT_EQ(document->begin().text(), "before");
    EXPECT_EQ(document->lastBlock().text(), "after");
    EXPECT_EQ(first.firstCursorPosition().block().previous(), document->begin()) << "no empty line before";
}

TEST(RtfTextDocument, IndentsAndSpacingBecomeTheBlocksMargins)
{
    struct Case
    {
        const char* what;
        std::string rtf;
        qreal left;
        qreal right;
        qreal firstLine;
        qreal top;
        qreal bottom;
    };
    const Case cases[] = {
        {"indents", R"({\rtf1\ansi\li720\ri360\fi-180 x\par})", 48, 24, -12, 0, 0},
        {"spacing", R"({\rtf1\ansi\sb240\sa120 x\par})", 0, 0, 0, 16, 8},
        {"in a table cell", R"({\rtf1\ansi\trowd\cellx1500\intbl\li150\sa300 x\cell\row})", 10, 0, 0, 0, 20},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto document = load(c.rtf);
        QTextBlock block = document->begin();
        while (block.isValid() && block.text() != "x") {
            block = block.next();
        }
        ASSERT_TRUE(block.isValid());
        const QTextBlockFormat format = block.blockFormat();
        EXPECT_EQ(format.leftMargin(), c.left);
        EXPECT_EQ(format.rightMargin(), c.right);
        EXPECT_EQ(format.textIndent(), c.firstLine);
        EXPECT_EQ(format.topMargin(), c.top);
        EXPECT_EQ(format.bottomMargin(), c.bottom);
    }
}

TEST(RtfTextDocument, TextKeepsAMarginFromTheViewsEdge)
{
    EXPECT_EQ(load("{\\rtf1 x}")->documentMargin(), 12);
    const std::unique_ptr<QTextDocument> message(loadRtfDocument("/no/such/file.rtf", nullptr));
    EXPECT_EQ(message->documentMargin(), 12);
}

TEST(RtfTextDocument, AnOptionalHyphenIsWhereALongWordMayBreak)
{
    const auto document = load(R"({\rtf1\ansi Zeichen\-satz\-tabelle\par})");
    const QTextBlock block = document->begin();
    EXPECT_EQ(block.text(), QStringLiteral("Zeichen\u00ADsatz\u00ADtabelle"));

    // Room for "Zeichen-" but not for "Zeichensatz".
    const QFontMetricsF metrics(block.begin().fragment().charFormat().font());
    const qreal room = (metrics.horizontalAdvance(QStringLiteral("Zeichen-")) +
                        metrics.horizontalAdvance(QStringLiteral("Zeichensatz"))) /
                       2;
    document->setTextWidth(room + 2 * document->documentMargin());
    document->documentLayout()->documentSize();
    ASSERT_GE(block.layout()->lineCount(), 2);
    EXPECT_EQ(block.layout()->lineAt(0).textLength(), 8) << "broken after Zeichen and its hyphen";
}

TEST(RtfTextDocument, ManyTableRowsLoadInTimeInProportion)
{
    const struct
    {
        const char* what;
        std::string rtf;
    } cases[] = {
        {"one table of 20,000 rows", rowsDocument(20000)},
        {"10,000 tables of one row",
         [] {
             std::string rtf = "{\\rtf1\\ansi ";
             for (int i = 0; i < 10000; ++i) {
                 rtf += "\\trowd\\cellx" + std::to_string(1000 + i % 2) + "\\intbl c\\cell\\row ";
             }
             return rtf + "}";
         }()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QElapsedTimer clock;
        clock.start();
        const auto document = load(c.rtf);
        EXPECT_LT(clock.elapsed(), 3000);
        EXPECT_FALSE(tablesOf(*document).empty());
    }
}

} // namespace
