#include "keypad/module1.h"

namespace Module1 {
std::string TitleName;
std::string TitleCredit;
std::string VersionText;

std::string KeypadTitle()
{
    return TitleName + VersionText + TitleCredit;
}

std::string BuildVersionText(int major, int minor, int revision)
{
    return std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(revision);
}
} // namespace Module1
