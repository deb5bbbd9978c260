// Writes the starting corpora of the game fuzzer and the kept record's
// fuzzer from the transcript tests.
//
//   make_seeds GAME_DIR RECORD_DIR TRANSCRIPT...
//
// The game fuzzer's: every transcript played as its input (once per
// difficulty it names), with a reload after every few commands and help and
// author opened on the way; and a few inputs that reach far: the moves
// counter's limit, the points' limit, a megabyte paste. The record fuzzer's:
// the records of those games as they are played, among them the password
// box and the game's end, with a few typed texts in the box.
#include "actions.h"
#include "transcript_escape.h"
#include "utf8.h"

#include "engine/description.h"
#include "engine/program.h"
#include "story/story.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <cstdio>
#include <cstdlib>
#include <set>

using namespace tarnvale;
using namespace tarnvale::fuzz;
using namespace Qt::Literals::StringLiterals;

namespace {

std::u16string unescaped(const QString &value)
{
    return test::unescapeTranscript(std::u16string_view(reinterpret_cast<const char16_t *>(value.utf16()),
                                                        std::size_t(value.size())));
}

// A record as the record fuzzer reads it: its body, to be signed again.
std::string recordSeed(const std::u16string &record)
{
    const std::size_t body = record.find(u'\n', record.find(u'\n') + 1) + 1;
    return '\x01' + test::toUtf8(std::u16string_view(record).substr(body));
}

// Both of a seed: the fuzzer's actions, and the program the actions drive,
// played alongside so that its records can be kept.
class Play {
public:
    Play(bool easy, bool music) : m_easy(easy), m_music(music)
    {
        m_program.start(0);
        m_actions.start(easy, music);
        choose();
    }

    void line(const std::u16string &text)
    {
        m_actions.type(test::toUtf8(text)).key(Enter);
        typeEach(text);
        m_program.key(tarnvale::Key::Enter);
        keep();
        // A reload now and then, and help and author on the way.
        if (++m_lines % 7 == 0)
            m_actions.op(Reload);
        if (m_lines == 3)
            pressInGame(Control::Help);
        if (m_lines == 5)
            pressInGame(Control::Author);
        if (m_lines == 6)
            pressIn(Window::Help, Control::Close);
    }
    void type(const std::u16string &text)
    {
        m_actions.type(test::toUtf8(text));
        typeEach(text);
        keep();
    }
    void key(KeyChoice k)
    {
        static constexpr tarnvale::Key keys[] = {tarnvale::Key::Enter, tarnvale::Key::Escape, tarnvale::Key::Up,
                                                 tarnvale::Key::Backspace, tarnvale::Key::Delete};
        m_actions.key(k);
        m_program.key(keys[k]);
        keep();
    }
    void newGame()
    {
        pressInGame(Control::New);
        choose();
    }

    const std::string &actions() const { return m_actions.bytes(); }
    const std::vector<std::u16string> &records() const { return m_records; }

private:
    // A character at a time, as the fuzzer types it.
    void typeEach(std::u16string_view text)
    {
        for (std::size_t i = 0; i < text.size(); ++i) {
            const bool pair = i + 1 < text.size() && text[i] >= 0xd800 && text[i] < 0xdc00;
            m_program.type(text.substr(i, pair ? 2 : 1));
            i += pair;
        }
    }
    void choose()
    {
        pressIn(Window::Dialog, m_easy ? Control::Easy : Control::Hard);
        pressIn(Window::Dialog, m_music ? Control::MusicOn : Control::MusicOff);
        pressIn(Window::Dialog, Control::Start);
    }
    void pressInGame(Control c) { pressIn(Window::Game, c); }
    void pressIn(Window w, Control c)
    {
        m_actions.press(unsigned(w), unsigned(c));
        m_program.press(w, c, 0);
    }
    // The records worth starting from: every few lines, the password box,
    // the game's end, and a text in the box.
    void keep()
    {
        const View &v = m_program.view();
        const bool password = v.inGame && v.passwordShown;
        const bool over = v.inGame && !v.visibleBox()->enabled;
        const std::u16string r = m_program.record();
        if (!r.empty() && (m_lines % 5 == 0 || password || over || !v.visibleBox()->text.empty()))
            m_records.push_back(r);
    }

    bool m_easy, m_music;
    GameSettings m_settings;
    Program m_program{m_settings, tarnvaleStory()};
    Encoder m_actions;
    std::vector<std::u16string> m_records;
    unsigned m_lines = 0;
};

// One play of a transcript in the given mode ("hard" or "easy"): the
// actions, and the records kept on the way.
std::pair<std::string, std::vector<std::u16string>> playTranscript(const QStringList &lines, const QString &mode)
{
    bool music = false;
    for (const QString &line : lines) {
        if (line.trimmed() == u"@music"_s)
            music = true;
    }
    Play play(mode == u"easy"_s, music);
    for (QString line : lines) {
        if (line.startsWith(u'[')) {
            const qsizetype close = line.indexOf(u"] "_s);
            if (close < 0 || line.mid(1, close - 1) != mode)
                continue;
            line = line.mid(close + 2);
        }
        if (line.startsWith(u"> "_s) || line == u">"_s) {
            play.line(unescaped(line.mid(2)));
        } else if (line.startsWith(u"key "_s)) {
            static const QStringList names = {u"Enter"_s, u"Esc"_s, u"Up"_s, u"Backspace"_s, u"Delete"_s};
            const qsizetype k = names.indexOf(line.mid(4).trimmed());
            if (k >= 0)
                play.key(KeyChoice(k));
        } else if (line.startsWith(u"type "_s)) {
            play.type(unescaped(line.mid(5)));
        } else if (line.trimmed() == u"newgame"_s) {
            play.newGame();
        }
    }
    return {play.actions(), play.records()};
}

// The way to the refilled pack, which the gang takes again and again, each
// time for an award: enough rounds take the points past their limit.
std::string pointsToTheLimit()
{
    Encoder e;
    e.start(false, false);
    for (const char *line : {"осмотреть урну", "в магазин", "купить сигареты", "выйти на улицу",
                             "переложить сигареты", "направо", "идти налево"})
        e.line(line);
    e.repeat(2, 400);   // "направо", "идти налево"
    e.op(Reload);
    return e.bytes();
}

// Cigarettes bought and given away in an easy game until the money runs far
// below zero and the points come to their limit.
std::string purchasesToTheLimit()
{
    Encoder e;
    e.start(true, false);
    for (const char *line : {"в магазин", "купить сигареты", "выйти на улицу", "направо"})
        e.line(line);
    e.repeat(4, 3300);
    e.op(Reload);
    return e.bytes();
}

// Enter held down until the moves counter can go no further, in an easy
// game; then a reload, which must bring the same back.
std::string movesToTheLimit()
{
    Encoder e;
    e.start(true, true);
    e.line("осм урну");
    e.holdEnter(32770);
    e.key(Up).key(Enter).key(Esc).type("осм").op(Reload).key(Enter);
    return e.bytes();
}

// A megabyte of text pasted into the command box of an easy game, submitted,
// recalled and edited; then control characters, right-to-left marks, lone
// surrogates, and no memory left on the way.
std::string hugePaste()
{
    Encoder e;
    e.start(true, false);
    const char16_t unit[] = u"осм урну \u200f\u202e\t\u0000\u0007\u0301";
    const std::size_t n = sizeof unit / sizeof unit[0];
    e.op(Paste).byte(unsigned(n));
    for (char16_t c : unit)
        e.u16(c);
    e.byte(kLong);   // 4096 times
    e.key(Enter).key(Up).key(Backspace).key(Delete).op(Select).u32(3).u32(200);
    e.key(Backspace).op(NoMemory).byte(2).key(Enter).op(Reload);
    e.op(TypeUtf16).byte(4).u16(0xd800).u16(0x200e).u16(0xdfff).u16(0x2028);
    e.key(Left).key(Delete).op(NoMemory).byte(1).key(Enter);
    return e.bytes();
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 3) {
        std::fputs("usage: make_seeds GAME_DIR RECORD_DIR TRANSCRIPT...\n", stderr);
        return 2;
    }
    const QString gameDir = QString::fromLocal8Bit(argv[1]);
    const QString recordDir = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(gameDir);
    QDir().mkpath(recordDir);
    int written = 0;
    const auto write = [&](const QString &path, const std::string &bytes) {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes.data(), qint64(bytes.size())) != qint64(bytes.size())) {
            std::fprintf(stderr, "make_seeds: cannot write %s\n", qPrintable(f.fileName()));
            std::exit(1);
        }
        ++written;
    };

    std::set<std::u16string> records;
    for (int i = 3; i < argc; ++i) {
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
        for (const QString &mode : modes) {
            const auto [actions, kept] = playTranscript(lines, mode);
            write(gameDir + u'/' + base + u'-' + mode, actions);
            int n = 0;
            for (const std::u16string &r : kept) {
                if (records.insert(r).second)
                    write(recordDir + u'/' + base + u'-' + mode + u'-' + QString::number(++n), recordSeed(r));
            }
        }
    }
    write(gameDir + u"/limit-points"_s, pointsToTheLimit());
    write(gameDir + u"/limit-purchases"_s, purchasesToTheLimit());
    write(gameDir + u"/limit-moves"_s, movesToTheLimit());
    write(gameDir + u"/huge-paste"_s, hugePaste());
    // One record as it is kept, unsigned, and its bytes as UTF-16.
    if (!records.empty()) {
        const std::u16string &r = *records.begin();
        write(recordDir + u"/whole"_s, '\0' + test::toUtf8(r));
        std::string utf16 = "\x02";
        for (char16_t c : r) {
            utf16 += char(c & 0xff);
            utf16 += char(c >> 8);
        }
        write(recordDir + u"/whole-utf16"_s, utf16);
    }
    std::printf("%d seeds in %s and %s\n", written, qPrintable(gameDir), qPrintable(recordDir));
    return 0;
}
