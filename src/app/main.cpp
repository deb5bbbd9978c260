#include "app/mdlvariables.h"
#include "app/music.h"
#include "app/options.h"
#include "app/protocolserver.h"
#include "app/textfrontend.h"
#include "app/windowsprocess.h"
#include "tui/run.h"

#include <QStringList>

#include <csignal>
#include <cstdio>
#include <string>
#include <unistd.h>

using namespace tarnvale;

namespace {

// Whether a display is named at all; whether it can be reached, only the
// windows find out.
bool haveDisplay()
{
    return !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || !qEnvironmentVariableIsEmpty("DISPLAY")
        || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

// A reader that goes away ends the program quietly instead of killing it:
// a write then fails with EPIPE, which the writer recognises.
void surviveClosedPipes()
{
    std::signal(SIGPIPE, SIG_IGN);
}

// Prints the help or the version.
int printToStdout(const QString &text)
{
    surviveClosedPipes();
    return writeOrSay(text.toLocal8Bit(), stdout, stderr);
}

int playInTerminal(const Options &options)
{
    surviveClosedPipes();
    mdlVariables.easyMode = options.easy ? kTrue : kFalse;
    mdlVariables.musicOn = options.music ? kTrue : kFalse;
    TextOptions text;
    text.json = options.json;
    text.prompt = isatty(STDIN_FILENO) && !options.json;
    return runTextGame(mdlVariables, text, launchMusic, stdin, stdout, stderr);
}

bool onATerminal()
{
    return isatty(STDIN_FILENO) && isatty(STDOUT_FILENO);
}

// The full-screen game when this terminal can show it; otherwise the line
// mode, saying why.
int playFullScreen(const Options &options)
{
    if (!onATerminal()) {
        std::fputs("tarnvale: the full-screen game needs a terminal on standard input and output, "
                   "playing line by line instead\n", stderr);
        return playInTerminal(options);
    }
    std::string why;
    if (!tui::canRunFullScreen(why)) {
        std::fprintf(stderr, "tarnvale: %s; playing line by line instead, writing UTF-8\n", why.c_str());
        return playInTerminal(options);
    }
    return tui::runFullScreen(mdlVariables, launchMusic);
}

} // namespace

int main(int argc, char **argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    const Options options = parseOptions(args);

    switch (options.mode) {
    case Options::Mode::Help:
        return printToStdout(usageText());
    case Options::Mode::Version:
        return printToStdout(versionText());
    case Options::Mode::Usage:
        std::fprintf(stderr, "tarnvale: %s\n%s", options.error.toLocal8Bit().constData(),
                     usageText().toLocal8Bit().constData());
        return 2;
    case Options::Mode::Text:
        return playInTerminal(options);
    case Options::Mode::Terminal:
        return playFullScreen(options);
    case Options::Mode::Protocol:
        surviveClosedPipes();
        return serveProtocol(stdin, stdout, stderr, launchMusic);
    case Options::Mode::Desktop:
        break;
    }
    const bool failedBefore = windowsFailedBefore();
    if (haveDisplay() && !failedBefore) {
        const WindowsOutcome windows = playInWindows(argc, argv, mdlVariables, launchMusic);
        if (windows.kind == WindowsOutcome::Kind::Played)
            return windows.status;
        std::fprintf(stderr, "tarnvale: the windows could not be loaded (%s), playing in the terminal instead\n",
                     windows.error.toLocal8Bit().constData());
        return onATerminal() ? playFullScreen(options) : playInTerminal(options);
    }
    if (onATerminal())
        return playFullScreen(options);
    std::fputs("tarnvale: no display found, playing in the terminal instead\n", stderr);
    return playInTerminal(options);
}
