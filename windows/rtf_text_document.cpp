#include "windows/rtf_text_document.h"

#include "rtf/reader.h"
#include "windows/twips.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>
#include <algorithm>
#include <string_view>
#include <vector>

namespace {
// Characters in one paragraph of the view at most; longer ones are broken up.
constexpr qsizetype kLongestParagraph = 4000;
// How often a long build asks whether to stop: cheap enough, and far below a second apart.
constexpr std::size_t kRunsBetweenStopChecks = 256;
// Qt's default of 4 pixels puts the text almost against the view's frame; a word processor's page has a
// margin, and 12 pixels gives the text room without wasting the narrow viewer's width.
constexpr qreal kDocumentMargin = 12;
// Cells narrower than this could not show a letter, which a damaged row's edges would otherwise make.
constexpr int kNarrowestCell = 8;
// A cell beyond the row's \cellx edges is as wide as word processors make a new table's cells.
constexpr int kDefaultCellTwips = 1440;
constexpr qreal kCellPadding = 3;

QTextDocument* messageDocument(const QString& path, const QString& reason, QObject* parent)
{
    auto* document = new QTextDocument(parent);
    document->setDocumentMargin(kDocumentMargin);
    document->setPlainText(QStringLiteral("Could not read %1: %2").arg(QDir::toNativeSeparators(path), reason));
    return document;
}

Qt::Alignment alignmentOf(rtf::Alignment alignment)
{
    switch (alignment) {
    case rtf::Alignment::Centre:
        return Qt::AlignHCenter;
    case rtf::Alignment::Right:
        return Qt::AlignRight;
    case rtf::Alignment::Justified:
        return Qt::AlignJustify;
    case rtf::Alignment::Left:
        break;
    }
    return Qt::AlignLeft;
}

QTextBlockFormat blockFormatOf(const rtf::Paragraph& paragraph)
{
    QTextBlockFormat format;
    format.setAlignment(alignmentOf(paragraph.alignment));
    format.setLeftMargin(twipsToPixels(paragraph.leftIndent));
    format.setRightMargin(twipsToPixels(paragraph.rightIndent));
    format.setTextIndent(twipsToPixels(paragraph.firstLineIndent));
    format.setTopMargin(twipsToPixels(paragraph.spaceBefore));
    format.setBottomMargin(twipsToPixels(paragraph.spaceAfter));
    return format;
}

QTextCharFormat charFormatOf(const rtf::CharFormat& run)
{
    QTextCharFormat format;
    format.setFontWeight(run.bold ? QFont::Bold : QFont::Normal);
    format.setFontItalic(run.italic);
    format.setFontUnderline(run.underline);
    format.setFontStrikeOut(run.strikeThrough);
    if (run.halfPoints > 0) {
        format.setFontPointSize(run.halfPoints / 2.0);
    }
    if (run.colour) {
        format.setForeground(QColor(run.colour->red, run.colour->green, run.colour->blue));
    }
    if (!run.fontFamily.empty()) {
        format.setFontFamilies({QString::fromStdString(run.fontFamily)});
    }
    return format;
}

// The widths in pixels of a row's cells: from the edges it gives, one cell at least for each it has.
std::vector<int> cellWidthsOf(const rtf::Paragraph& row)
{
    const std::size_t cells = std::max(row.cellStarts.size(), row.cellRightEdges.size());
    std::vector<int> widths;
    widths.reserve(cells);
    int left = 0;
    for (std::size_t i = 0; i < cells; ++i) {
        const int right = i < row.cellRightEdges.size() ? row.cellRightEdges[i] : left + kDefaultCellTwips;
        widths.push_back(std::max(twipsToPixels(right - left), kNarrowestCell));
        left = std::max(left, right);
    }
    return widths;
}

class DocumentBuilder
{
public:
    DocumentBuilder(QTextDocument* document, const std::function<bool()>& stop) : m_cursor(document), m_stop(stop) {}

    void build(const std::vector<rtf::Paragraph>& paragraphs)
    {
        m_cursor.beginEditBlock();
        for (std::size_t i = 0; i < paragraphs.size() && !stopNow();) {
            if (!paragraphs[i].isTableRow()) {
                paragraph(paragraphs[i++]);
                continue;
            }
            // Consecutive rows of the same cells make one table.
            const std::vector<int> widths = cellWidthsOf(paragraphs[i]);
            std::size_t end = i + 1;
            while (end < paragraphs.size() && paragraphs[end].isTableRow() && cellWidthsOf(paragraphs[end]) == widths) {
                ++end;
            }
            table(paragraphs.data() + i, end - i, widths);
            i = end;
        }
        m_cursor.endEditBlock();
    }

private:
    bool stopNow()
    {
        if (m_stop && !m_stopped && ++m_sinceAsked >= kRunsBetweenStopChecks) {
            m_sinceAsked = 0;
            m_stopped = m_stop();
        }
        return m_stopped;
    }

    // The document's first block, and the one after a table, is there already and still empty.
    void startBlock(const QTextBlockFormat& format)
    {
        if (m_blockUnused) {
            m_cursor.setBlockFormat(format);
            m_blockUnused = false;
        } else {
            m_cursor.insertBlock(format);
        }
    }

    void paragraph(const rtf::Paragraph& paragraph)
    {
        const QTextBlockFormat blockFormat = blockFormatOf(paragraph);
        startBlock(blockFormat);
        for (const rtf::Run& run : paragraph.runs) {
            if (stopNow()) {
                return;
            }
            insertText(run.text, charFormatOf(run.format), blockFormat);
        }
    }

    void table(const rtf::Paragraph* rows, std::size_t count, const std::vector<int>& widths)
    {
        QTextTableFormat format;
        format.setBorder(1);
        format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
        format.setBorderCollapse(true);
        format.setCellSpacing(0);
        format.setCellPadding(kCellPadding);
        format.setAlignment(Qt::AlignLeft);
        QList<QTextLength> columns;
        for (const int width : widths) {
            columns.append(QTextLength(QTextLength::FixedLength, width));
        }
        format.setColumnWidthConstraints(columns);

        QTextTable* table = m_cursor.insertTable(static_cast<int>(count), static_cast<int>(widths.size()), format);
        for (std::size_t row = 0; row < count; ++row) {
            if (m_stopped) {
                table->removeRows(static_cast<int>(row), static_cast<int>(count - row)); // made, but never filled
                break;
            }
            tableRow(table, static_cast<int>(row), rows[row]);
        }
        m_cursor = table->lastCursorPosition();
        m_cursor.movePosition(QTextCursor::NextBlock);
        m_blockUnused = true;
    }

    // Each cell's text is the row's from the cell's start to the '\t' before the next cell's.
    void tableRow(QTextTable* table, int row, const rtf::Paragraph& paragraph)
    {
        const QTextBlockFormat blockFormat = blockFormatOf(paragraph);
        const std::vector<std::size_t>& starts = paragraph.cellStarts;
        std::size_t runIndex = 0;
        std::size_t runStart = 0; // of the run at runIndex in the row's text
        for (std::size_t cell = 0; cell < starts.size(); ++cell) {
            const std::size_t begin = starts[cell];
            const std::size_t end = cell + 1 < starts.size() ? starts[cell + 1] - 1 : std::string::npos;
            m_cursor = table->cellAt(row, static_cast<int>(cell)).firstCursorPosition();
            m_cursor.setBlockFormat(blockFormat);
            for (; runIndex < paragraph.runs.size(); ++runIndex) {
                if (stopNow()) {
                    return;
                }
                const rtf::Run& run = paragraph.runs[runIndex];
                const std::size_t runEnd = runStart + run.text.size();
                const std::size_t from = std::max(begin, runStart);
                const std::size_t to = std::min(end, runEnd);
                if (from < to) {
                    insertText(std::string_view(run.text).substr(from - runStart, to - from), charFormatOf(run.format),
                               blockFormat);
                }
                if (runEnd > end) {
                    break; // the rest of the run belongs to the next cells
                }
                runStart = runEnd;
            }
        }
    }

    void insertText(std::string_view utf8, const QTextCharFormat& charFormat, const QTextBlockFormat& blockFormat)
    {
        QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
        text.replace(QLatin1Char('\n'), QChar::LineSeparator);
        // Laying out a paragraph costs more than its length: one that no real document would have is
        // shown as several, broken after a blank where there is one.
        while (m_cursor.block().length() + text.size() > kLongestParagraph) {
            const qsizetype room = std::max<qsizetype>(kLongestParagraph - m_cursor.block().length(), 0);
            const qsizetype blank = text.lastIndexOf(QLatin1Char(' '), room);
            const qsizetype cut = blank > 0 ? blank + 1 : room;
            m_cursor.insertText(text.left(cut), charFormat);
            m_cursor.insertBlock(blockFormat);
            text.remove(0, cut);
        }
        m_cursor.insertText(text, charFormat);
    }

    QTextCursor m_cursor;
    const std::function<bool()>& m_stop;
    std::size_t m_sinceAsked = 0;
    bool m_stopped = false;
    bool m_blockUnused = true;
};
} // namespace

QTextDocument* loadRtfDocument(const QString& path, QObject* parent, const std::function<bool()>& stop)
{
    // Only a regular file: a FIFO or a device would block the viewer or never end.
    const QFileInfo info(path);
    if (!info.exists()) {
        return messageDocument(path, QStringLiteral("the file does not exist"), parent);
    }
    if (!info.isFile()) {
        return messageDocument(path, QStringLiteral("it is not a file"), parent);
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return messageDocument(path, file.errorString(), parent);
    }
    const QByteArray bytes = file.read(static_cast<qint64>(rtf::kMaxInputBytes));
    const rtf::Result result = rtf::parse(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    if (!result.ok()) {
        return messageDocument(path, QString::fromStdString(result.error), parent);
    }

    auto* document = new QTextDocument(parent);
    document->setDocumentMargin(kDocumentMargin);
    // Word processors put a tab between a list item's bullet and its text; the default stops of a
    // quarter of an inch keep them together.
    QTextOption option = document->defaultTextOption();
    option.setTabStopDistance(24);
    document->setDefaultTextOption(option);
    // Built as one edit, with no undo history: otherwise every run is a command of its own and the growing
    // paragraph is laid out again after each, which takes time in the square of the runs.
    document->setUndoRedoEnabled(false);
    DocumentBuilder(document, stop).build(result.document.paragraphs);
    return document;
}
