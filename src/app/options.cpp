#include "app/options.h"

namespace tarnvale {

using namespace Qt::Literals::StringLiterals;

Options parseOptions(const QStringList &args)
{
    Options o;
    bool text = false;
    bool terminal = false;
    bool protocol = false;
    const auto refuse = [&o](const QString &why) {
        o.mode = Options::Mode::Usage;
        o.error = why;
        return o;
    };
    for (const QString &arg : args) {
        if (arg == u"-h"_s || arg == u"--help"_s)
            o.mode = Options::Mode::Help;
        else if (arg == u"-V"_s || arg == u"--version"_s)
            o.mode = Options::Mode::Version;
        else if (arg == u"--text"_s)
            text = true;
        else if (arg == u"--terminal"_s)
            terminal = true;
        else if (arg == u"--protocol"_s)
            protocol = true;
        else if (arg == u"--easy"_s)
            o.easy = true;
        else if (arg == u"--music"_s)
            o.music = true;
        else if (arg == u"--json"_s)
            o.json = true;
        else
            return refuse(u"unknown option '%1'"_s.arg(arg));
    }
    if (o.mode != Options::Mode::Desktop)
        return o;
    if (int(text) + int(terminal) + int(protocol) > 1)
        return refuse(u"--text, --terminal and --protocol are different ways to play; choose one"_s);
    if (protocol && (o.easy || o.music || o.json))
        return refuse(u"--protocol takes no other option: its inputs choose"_s);
    if (!text && (o.easy || o.music || o.json))
        return refuse(u"--easy, --music and --json go with --text"_s);
    if (protocol)
        o.mode = Options::Mode::Protocol;
    else if (text)
        o.mode = Options::Mode::Text;
    else if (terminal)
        o.mode = Options::Mode::Terminal;
    return o;
}

QString usageText()
{
    return u"Usage: tarnvale [--terminal | --text [--easy] [--music] [--json] | --protocol]\n"
           u"\n"
           u"A small text quest with a Russian-language story. Without options it opens\n"
           u"the game's windows; when there is no display it plays full-screen in the\n"
           u"terminal, or line by line when standard input or output is not a terminal.\n"
           u"\n"
           u"With a screen reader: the windows and the page in a browser speak every\n"
           u"answer of the game once (Orca on Linux); in a terminal, --text is the plain\n"
           u"mode, which prints only what is new and never redraws.\n"
           u"\n"
           u"Options:\n"
           u"  --terminal   play full-screen in the terminal (needs a UTF-8 locale)\n"
           u"  --text       play in the terminal: one command per line on standard input;\n"
           u"               at a terminal the line can be edited and Up recalls the last\n"
           u"               command (the plain mode for a terminal screen reader)\n"
           u"  --easy       with --text: an easy game (points shrink to one fifth); each\n"
           u"               line is typed as a player types it, completed as it goes\n"
           u"  --music      with --text: start the music program (TARNVALE_MUSIC overrides it)\n"
           u"  --json       with --text: print the game screen as one JSON object per line\n"
           u"  --protocol   play through JSON: one input per line in, what changed in the\n"
           u"               windows per line out (for other programs: bots, tests, other\n"
           u"               front-ends; see docs/protocol.md)\n"
           u"  -h, --help   show this help and exit\n"
           u"  -V, --version  show the version and exit\n"_s;
}

QString versionText()
{
    return u"tarnvale " TARNVALE_VERSION "\n"_s;
}

} // namespace tarnvale
