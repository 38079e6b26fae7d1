#include "windows/command_line.h"

#include "keypad/version.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

namespace {

const char* const kUsage =
    "Usage: glyphward [OPTION]\n"
    "An on-screen keypad for composing a password by mouse clicks and handing it to another\n"
    "program's password box by drag-and-drop.\n"
    "\n"
    "  -h, --help     show this help and exit\n"
    "  -v, --version  show the version and exit\n"
    "\n"
    "The toolkit's own options, such as -platform NAME and -display DISPLAY, are accepted too.\n";

std::string versionLine()
{
    return "glyphward " + std::to_string(glyphward::kVersionMajor) + "." + std::to_string(glyphward::kVersionMinor) +
           "." + std::to_string(glyphward::kVersionRevision) + "\n";
}

bool isOneOf(const char* argument, const char* shortForm, const char* longForm)
{
    return std::strcmp(argument, shortForm) == 0 || std::strcmp(argument, longForm) == 0;
}

// Messages of the toolkit held back while it connects to the window system.
std::vector<QByteArray> g_heldMessages;
QtMessageHandler g_previousHandler = nullptr;

void holdOrFail(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type != QtFatalMsg) {
        g_heldMessages.push_back(qFormatLogMessage(type, context, message).toLocal8Bit());
        return;
    }
    const QByteArray display = qgetenv("DISPLAY");
    const QByteArray wayland = qgetenv("WAYLAND_DISPLAY");
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    std::fprintf(stderr,
                 "glyphward: cannot open a display to show the keypad on (DISPLAY \"%s\", WAYLAND_DISPLAY \"%s\", "
                 "QT_QPA_PLATFORM \"%s\")\n",
                 display.constData(), wayland.constData(), platform.constData());
    std::fflush(stderr);
    // Not abort(): nothing went wrong in the program, and no core file is wanted.
    std::_Exit(1);
}

} // namespace

std::optional<int> answerCommandLine(int argc, char** argv, std::ostream& out)
{
    for (int i = 1; i < argc; ++i) {
        if (isOneOf(argv[i], "-h", "--help")) {
            out << kUsage;
            return 0;
        }
        if (isOneOf(argv[i], "-v", "--version")) {
            out << versionLine();
            return 0;
        }
    }
    return std::nullopt;
}

std::optional<int> rejectUnknownArguments(const QStringList& arguments, std::ostream& err)
{
    if (arguments.size() <= 1) {
        return std::nullopt;
    }
    err << "glyphward: unknown " << (arguments.at(1).startsWith(u'-') ? "option" : "argument") << " '"
        << arguments.at(1).toStdString() << "'\n"
        << kUsage;
    return 2;
}

DisplayFailureGuard::DisplayFailureGuard()
{
    g_previousHandler = qInstallMessageHandler(holdOrFail);
}

DisplayFailureGuard::~DisplayFailureGuard()
{
    qInstallMessageHandler(g_previousHandler);
    for (const QByteArray& message : g_heldMessages) {
        std::fprintf(stderr, "%s\n", message.constData());
    }
    g_heldMessages.clear();
}
