#include "rtf/document.h"

namespace rtf {

std::string paragraphText(const Paragraph& paragraph)
{
    std::string text;
    for (const Run& run : paragraph.runs) {
        text += run.text;
    }
    return text;
}

std::string toPlainText(const Document& document)
{
    std::string text;
    for (const Paragraph& paragraph : document.paragraphs) {
        for (const Run& run : paragraph.runs) {
            text += run.text;
        }
        text += '\n';
    }
    return text;
}

} // namespace rtf
