#include "app/music.h"

#include <QProcess>
#include <QStandardPaths>

#include <cstdio>

namespace tarnvale {

using namespace Qt::Literals::StringLiterals;

namespace {

bool g_complained = false;

void complainOnce(const QString &why)
{
    if (g_complained)
        return;
    g_complained = true;
    std::fprintf(stderr, "tarnvale: %s; playing without music\n", why.toLocal8Bit().constData());
}

} // namespace

QString musicCommandLine()
{
    if (qEnvironmentVariableIsSet("TARNVALE_MUSIC"))
        return qEnvironmentVariable("TARNVALE_MUSIC");
#ifdef Q_OS_WIN
    return u"start zarnitune.lnk"_s;
#else
    return u"zarnitune"_s;
#endif
}

void launchMusic()
{
    const QString commandLine = musicCommandLine();
    if (commandLine.trimmed().isEmpty())
        return;

    QProcess process;
#ifdef Q_OS_WIN
    // "start /min" runs the shortcut minimised, as the shell's own start does.
    QString line = commandLine;
    if (line.startsWith(u"start "_s, Qt::CaseInsensitive))
        line.insert(6, u"/min "_s);
    process.setProgram(u"cmd.exe"_s);
    process.setNativeArguments(u"/c "_s + line);
#else
    if (!qEnvironmentVariableIsSet("TARNVALE_MUSIC")
        && QStandardPaths::findExecutable(commandLine).isEmpty()) {
        complainOnce(u"the music program %1 is not installed"_s.arg(commandLine));
        return;
    }
    process.setProgram(u"/bin/sh"_s);
    process.setArguments({u"-c"_s, commandLine});
#endif
    // The music must never write into the game's own output.
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    if (!process.startDetached())
        complainOnce(u"cannot start the music (%1)"_s.arg(process.errorString()));
}

} // namespace tarnvale
