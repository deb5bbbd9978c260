// Writes the game fuzzer's starting corpus: every transcript test played as
// fuzzer input (once per difficulty it names), and a few inputs that reach
// far: the moves counter's limit, the points' limit, a megabyte paste.
//
//   make_seeds OUTPUT_DIR TRANSCRIPT...
#include "actions.h"
#include "ui/qtstrings.h"
#include "transcript_escape.h"
#include "utf8.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <cstdio>
#include <cstdlib>

using namespace tarnvale::fuzz;
using namespace Qt::Literals::StringLiterals;

namespace {


// A transcript's value, unescaped, as the fuzzer's input carries it.
std::string unescaped(const QString &value)
{
    return tarnvale::test::toUtf8(tarnvale::test::unescapeTranscript(tarnvale::u16View(value)));
}

// One play of a transcript in the given mode ("hard" or "easy").
std::string playTranscript(const QStringList &lines, const QString &mode)
{
    Encoder e;
    bool music = false;
    for (const QString &line : lines) {
        if (line.trimmed() == u"@music"_s)
            music = true;
    }
    e.op(Settings).byte((mode == u"easy"_s ? 1u : 0u) | (music ? 2u : 0u));

    for (QString line : lines) {
        if (line.startsWith(u'[')) {
            const qsizetype close = line.indexOf(u"] "_s);
            if (close < 0 || line.mid(1, close - 1) != mode)
                continue;
            line = line.mid(close + 2);
        }
        if (line.startsWith(u"> "_s) || line == u">"_s) {
            e.submitUtf8(unescaped(line.mid(2)));
        } else if (line.startsWith(u"key "_s)) {
            static const QStringList names = {u"Enter"_s, u"Esc"_s, u"Up"_s, u"Backspace"_s, u"Delete"_s};
            const qsizetype k = names.indexOf(line.mid(4).trimmed());
            if (k >= 0)
                e.key(KeyChoice(k));
        } else if (line.startsWith(u"type "_s)) {
            e.type(unescaped(line.mid(5)));
        } else if (line.trimmed() == u"newgame"_s) {
            e.op(NewGame);
        }
    }
    return e.bytes();
}

// The way to the refilled pack, which the gang takes again and again, each
// time for an award: enough rounds take the points past their limit.
std::string pointsToTheLimit()
{
    Encoder e;
    for (const char *line : {"осмотреть урну", "в магазин", "купить сигареты", "выйти на улицу",
                             "переложить сигареты", "направо", "идти налево"})
        e.submitUtf8(line);
    e.repeat(2, 400); // "направо", "идти налево"
    return e.bytes();
}

// Cigarettes bought and given away in an easy game until the money runs far
// below zero and the points come to their limit.
std::string purchasesToTheLimit()
{
    Encoder e;
    e.op(Settings).byte(1);
    for (const char *line : {"в магазин", "купить сигареты", "выйти на улицу", "направо"})
        e.submitUtf8(line);
    e.repeat(4, 3300);
    return e.bytes();
}

// Enter held down until the moves counter can go no further, in an easy game.
std::string movesToTheLimit()
{
    Encoder e;
    e.op(Settings).byte(1);
    e.submitUtf8("осм урну");
    e.holdEnter(32770);
    e.key(Up).key(Enter).key(Esc).type("осм").key(Enter);
    return e.bytes();
}

// A megabyte of text pasted into the command box of an easy game, submitted,
// recalled and edited; then control characters and right-to-left marks.
std::string hugePaste()
{
    Encoder e;
    e.op(Settings).byte(1);
    const char16_t unit[] = u"осм урну \u200f\u202e\t\r\n\u0000\u0007";
    const std::size_t n = sizeof unit / sizeof unit[0];
    e.op(PasteCon).byte(unsigned(n));
    for (char16_t c : unit)
        e.u16(c);
    e.byte(kLong); // 4096 times
    e.key(Enter).key(Up).key(Backspace).key(Delete).op(Select).byte(0).byte(3).byte(200);
    e.key(Backspace).key(Enter);
    e.op(SubmitUtf16).byte(4).u16(0xd800).u16(0x200e).u16(0xdfff).u16(0x0000);
    return e.bytes();
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fputs("usage: make_seeds OUTPUT_DIR TRANSCRIPT...\n", stderr);
        return 2;
    }
    const QString outDir = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(outDir);
    int written = 0;
    const auto write = [&](const QString &name, const std::string &bytes) {
        QFile f(outDir + u'/' + name);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes.data(), qint64(bytes.size())) != qint64(bytes.size())) {
            std::fprintf(stderr, "make_seeds: cannot write %s\n", qPrintable(f.fileName()));
            std::exit(1);
        }
        ++written;
    };

    for (int i = 2; i < argc; ++i) {
        QFile f(QString::fromLocal8Bit(argv[i]));
        if (!f.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "make_seeds: cannot read %s\n", argv[i]);
            return 1;
        }
        QStringList lines = QString::fromUtf8(f.readAll()).split(u'\n');
        for (QString &line : lines) {
            if (line.endsWith(u'\r'))
                line.chop(1);
        }
        QStringList modes = {u"hard"_s};
        for (const QString &line : lines) {
            if (line.startsWith(u"@modes"_s))
                modes = line.mid(6).split(u' ', Qt::SkipEmptyParts);
        }
        const QString base = QFileInfo(f.fileName()).completeBaseName();
        for (const QString &mode : modes)
            write(base + u'-' + mode, playTranscript(lines, mode));
    }
    write(u"limit-points"_s, pointsToTheLimit());
    write(u"limit-purchases"_s, purchasesToTheLimit());
    write(u"limit-moves"_s, movesToTheLimit());
    write(u"huge-paste"_s, hugePaste());
    std::printf("%d seeds in %s\n", written, qPrintable(outDir));
    return 0;
}
