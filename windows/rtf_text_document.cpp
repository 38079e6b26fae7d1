#include "windows/rtf_text_document.h"

#include "rtf/reader.h"
#include "windows/twips.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextCursor>
#include <QTextDocument>

namespace {
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

QTextDocument* loadRtfDocument(const QString& path, QObject* parent)
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
    QTextCursor cursor(document);
    bool first = true;
    for (const rtf::Paragraph& paragraph : result.document.paragraphs) {
        if (first) {
            cursor.setBlockFormat(blockFormatOf(paragraph));
            first = false;
        } else {
            cursor.insertBlock(blockFormatOf(paragraph));
        }
        for (const rtf::Run& run : paragraph.runs) {
            QString text = QString::fromUtf8(run.text.data(), static_cast<qsizetype>(run.text.size()));
            text.replace(QLatin1Char('\n'), QChar::LineSeparator);
            cursor.insertText(text, charFormatOf(run.format));
        }
    }
    return document;
}
