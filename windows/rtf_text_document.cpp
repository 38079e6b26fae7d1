#include "windows/rtf_text_document.h"

#include "rtf/reader.h"
#include "windows/twips.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>

namespace {
// Characters in one paragraph of the view at most; longer ones are broken up.
constexpr qsizetype kLongestParagraph = 4000;
// How often a long build asks whether to stop: cheap enough, and far below a second apart.
constexpr std::size_t kRunsBetweenStopChecks = 256;

QTextDocument* messageDocument(const QString& path, const QString& reason, QObject* parent)
{
    auto* document = new QTextDocument(parent);
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
    // Word processors put a tab between a list item's bullet and its text; the default stops of a
    // quarter of an inch keep them together.
    QTextOption option = document->defaultTextOption();
    option.setTabStopDistance(24);
    document->setDefaultTextOption(option);
    // Built as one edit, with no undo history: otherwise every run is a command of its own and the growing
    // paragraph is laid out again after each, which takes time in the square of the runs.
    document->setUndoRedoEnabled(false);
    QTextCursor cursor(document);
    cursor.beginEditBlock();
    bool first = true;
    std::size_t sinceAsked = 0;
    bool stopped = false;
    const auto stopNow = [&] {
        if (stop && !stopped && ++sinceAsked >= kRunsBetweenStopChecks) {
            sinceAsked = 0;
            stopped = stop();
        }
        return stopped;
    };
    for (const rtf::Paragraph& paragraph : result.document.paragraphs) {
        if (stopNow()) {
            break;
        }
        const QTextBlockFormat blockFormat = blockFormatOf(paragraph);
        if (first) {
            cursor.setBlockFormat(blockFormat);
            first = false;
        } else {
            cursor.insertBlock(blockFormat);
        }
        for (const rtf::Run& run : paragraph.runs) {
            if (stopNow()) {
                break;
            }
            QString text = QString::fromUtf8(run.text.data(), static_cast<qsizetype>(run.text.size()));
            text.replace(QLatin1Char('\n'), QChar::LineSeparator);
            const QTextCharFormat charFormat = charFormatOf(run.format);
            // Laying out a paragraph costs more than its length: one that no real document would have is
            // shown as several, broken after a blank where there is one.
            while (cursor.block().length() + text.size() > kLongestParagraph) {
                const qsizetype room = std::max<qsizetype>(kLongestParagraph - cursor.block().length(), 0);
                const qsizetype blank = text.lastIndexOf(QLatin1Char(' '), room);
                const qsizetype cut = blank > 0 ? blank + 1 : room;
                cursor.insertText(text.left(cut), charFormat);
                cursor.insertBlock(blockFormat);
                text.remove(0, cut);
            }
            cursor.insertText(text, charFormat);
        }
    }
    cursor.endEditBlock();
    return document;
}
