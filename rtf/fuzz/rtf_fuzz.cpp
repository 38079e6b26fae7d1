#include "rtf/reader.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

// The reader promises well-formed UTF-8 whatever it is fed; anything else would reach the viewer.
bool isUtf8(std::string_view s)
{
    std::size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        std::size_t length = 0;
        char32_t value = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if (c >= 0xC2 && c <= 0xDF) {
            length = 2;
            value = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 3;
            value = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            value = c & 0x07;
        } else {
            return false;
        }
        if (i + length > s.size()) {
            return false;
        }
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(s[i + k]);
            if ((next & 0xC0) != 0x80) {
                return false;
            }
            value = (value << 6) | (next & 0x3F);
        }
        const char32_t smallest = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
        if (value < smallest || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
            return false;
        }
        i += length;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const rtf::Result result = rtf::parse(std::string_view(reinterpret_cast<const char*>(data), size));
    const std::string text = rtf::toPlainText(result.document);
    if (!isUtf8(text)) {
        std::abort();
    }
    for (const rtf::Paragraph& paragraph : result.document.paragraphs) {
        for (const rtf::Run& run : paragraph.runs) {
            if (run.text.empty() || !isUtf8(run.format.fontFamily)) {
                std::abort();
            }
        }
    }
    if (!result.ok() && !result.document.paragraphs.empty()) {
        std::abort();
    }
    return 0;
}
