#pragma once

#include <QStringList>
#include <optional>
#include <ostream>

// The program's own options, --help and --version, answered before any window or display exists. Returns
// the exit status when the program is to end here. Qt's own options (-platform, -display, ...) are left for
// the application object, which takes them out of the arguments.
std::optional<int> answerCommandLine(int argc, char** argv, std::ostream& out);

// After the application object took Qt's options: whatever is left must be ours. An unknown option or an
// argument prints the usage to ERR and gives exit status 2.
std::optional<int> rejectUnknownArguments(const QStringList& arguments, std::ostream& err);

// Until the returned guard is gone, a fatal error of the toolkit while it connects to the window system ends
// the program with one line of our own and status 1, instead of the toolkit's abort; its other messages are
// held back and printed once the connection was made.
class DisplayFailureGuard
{
public:
    DisplayFailureGuard();
    ~DisplayFailureGuard();
    DisplayFailureGuard(const DisplayFailureGuard&) = delete;
    DisplayFailureGuard& operator=(const DisplayFailureGuard&) = delete;
};
