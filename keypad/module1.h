#pragma once

#include <string>

// Program-wide texts: set once by start-up, read by the keypad window and the About window.
namespace Module1 {
extern std::string TitleName;
extern std::string TitleCredit;
extern std::string VersionText;

// The keypad window's title: TitleName + VersionText + TitleCredit.
std::string KeypadTitle();
// "major.minor.revision" in plain decimal.
std::string BuildVersionText(int major, int minor, int revision);
} // namespace Module1
