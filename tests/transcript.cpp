#include "transcript.h"

#include "support.h"
#include "transcript_escape.h"

#include <QFile>
#include <QHash>
#include <QTextStream>

#include <optional>

namespace tarnvale::test {
namespace {

using namespace Qt::Literals::StringLiterals;

const QHash<QString, Flag> kFlagNames = {
    {u"urnSearched"_s, Flag::urnSearched},       {u"hasEmptyPack"_s, Flag::hasEmptyPack},
    {u"hasCheapCigs"_s, Flag::hasCheapCigs},     {u"hasDearCigs"_s, Flag::hasDearCigs},
    {u"baldDismissed"_s, Flag::baldDismissed},   {u"hasBrick"_s, Flag::hasBrick},
    {u"windowBroken"_s, Flag::windowBroken},     {u"keyNoticed"_s, Flag::keyNoticed},
    {u"hasDiskette"_s, Flag::hasDiskette},       {u"atComputer"_s, Flag::atComputer},
    {u"loggedIn"_s, Flag::loggedIn},             {u"disketteInserted"_s, Flag::disketteInserted},
    {u"fileRead"_s, Flag::fileRead},
};

const QHash<QString, int> kKeyNames = {
    {u"Enter"_s, kKeyEnter},         {u"Esc"_s, kKeyEscape},      {u"Up"_s, kKeyUp},
    {u"Backspace"_s, kKeyBackspace}, {u"Delete"_s, kKeyDelete},
};


QString shown(const QString &s)
{
    QString v = s;
    v.replace(u"\r\n"_s, u"⏎"_s);
    return u'«' + v + u'»';
}

QString boolText(bool b) { return b ? u"true"_s : u"false"_s; }

class Runner {
public:
    Runner(const QString &path, const QString &mode, const QStringList &lines, bool music)
        : m_path(path), m_mode(mode), m_lines(lines), m_music(music) {}

    QStringList run()
    {
        m_easy = m_mode == u"easy"_s;
        start();
        for (m_lineNo = 1; m_lineNo <= m_lines.size(); ++m_lineNo) {
            QString line = m_lines.at(m_lineNo - 1);
            if (line.endsWith(u'\r'))
                line.chop(1);
            if (!line.startsWith(u'='))
                flushExpected();
            if (line.isEmpty() || line.startsWith(u'#') || line.startsWith(u'@'))
                continue;
            if (line.startsWith(u'[')) {
                const qsizetype close = line.indexOf(u"] "_s);
                if (close < 0) {
                    fail(u"unclosed mode prefix"_s);
                    continue;
                }
                if (line.mid(1, close - 1) != m_mode)
                    continue;
                line = line.mid(close + 2);
            }
            step(line);
        }
        ++m_lineNo;
        flushExpected();
        return m_failures;
    }

private:
    void start()
    {
        m_game.emplace(m_easy, m_music, [this] { ++m_launches; });
    }

    Game &game() { return *m_game->game; }

    void fail(const QString &what)
    {
        m_failures << u"%1:%2 [%3] %4"_s.arg(m_path).arg(m_lineNo).arg(m_mode, what);
    }

    void expect(const QString &what, const QString &actual, const QString &expected)
    {
        if (actual != expected)
            fail(u"%1: expected %2, got %3"_s.arg(what, shown(expected), shown(actual)));
    }

    void flushExpected()
    {
        if (!m_expected)
            return;
        const int line = m_lineNo;
        m_lineNo = m_expectedLine;
        expect(u"output"_s, game().window().txtGame, m_expected->join(u"\r\n"_s));
        m_lineNo = line;
        m_expected.reset();
    }

    void step(const QString &line)
    {
        const qsizetype space = line.indexOf(u' ');
        const QString verb = space < 0 ? line : line.left(space);
        const QString arg = space < 0 ? QString() : unescapeTranscript(line.mid(space + 1));
        if (verb == u">"_s) {
            game().submit(arg);
        } else if (verb == u"="_s) {
            if (!m_expected) {
                m_expected.emplace();
                m_expectedLine = m_lineNo;
            }
            m_expected->append(arg);
        } else if (verb == u"~"_s) {
            if (!game().window().txtGame.contains(arg))
                fail(u"output %1 lacks %2"_s.arg(shown(game().window().txtGame), shown(arg)));
        } else if (verb == u"key"_s) {
            if (!kKeyNames.contains(arg))
                return fail(u"unknown key "_s + arg);
            if (game().window().txtPwd.visible)
                game().pressPwdKey(kKeyNames.value(arg));
            else
                game().pressConKey(kKeyNames.value(arg));
        } else if (verb == u"type"_s) {
            for (QChar c : arg) {
                if (game().window().txtPwd.visible)
                    game().typePwd(QStringView(&c, 1));
                else
                    game().typeCon(QStringView(&c, 1));
            }
        } else if (verb == u"newgame"_s) {
            game().newGame();
        } else if (verb == u"?"_s) {
            check(arg);
        } else {
            fail(u"unknown step "_s + verb);
        }
    }

    void check(const QString &arg)
    {
        const qsizetype space = arg.indexOf(u' ');
        const QString field = space < 0 ? arg : arg.left(space);
        QString value = space < 0 ? QString() : arg.mid(space + 1);
        const GameWindow &w = game().window();
        const GameState &s = game().state();
        if (field == u"lblAction"_s) return expect(field, w.lblAction, value);
        if (field == u"lblSteps"_s) return expect(field, w.lblSteps, value);
        if (field == u"lblMoney"_s) return expect(field, w.lblMoney, value);
        if (field == u"lblPoints"_s) return expect(field, w.lblPoints, value);
        if (field == u"lblDiff"_s) return expect(field, w.lblDiff, value);
        if (field.startsWith(u"inv"_s)) {
            bool ok = false;
            const int slot = field.mid(3).toInt(&ok);
            if (!ok || slot < 0 || slot >= kInventorySlots)
                return fail(u"bad inventory slot "_s + field);
            return expect(field, w.lblInv[slot], value);
        }
        if (field == u"location"_s) return expect(field, QString::number(s.location), value);
        if (field == u"moves"_s) return expect(field, QString::number(s.moveCount), value);
        if (field == u"points"_s) return expect(field, QString::number(s.points), value);
        if (field == u"money"_s) return expect(field, QString::number(s.money), value);
        if (field == u"music"_s) return expect(field, QString::number(m_launches), value);
        if (field == u"flag"_s) {
            const QStringList parts = value.split(u' ');
            if (parts.size() != 2 || !kFlagNames.contains(parts[0]))
                return fail(u"bad flag check "_s + value);
            return expect(parts[0], boolText(game().is(kFlagNames.value(parts[0]))), parts[1]);
        }
        if (field == u"con"_s) return expect(field, w.txtCon.text(), value);
        if (field == u"con.sel"_s)
            return expect(field, u"%1 %2"_s.arg(w.txtCon.selStart()).arg(w.txtCon.selLength()), value);
        if (field == u"con.visible"_s) return expect(field, boolText(w.txtCon.visible), value);
        if (field == u"con.enabled"_s) return expect(field, boolText(w.txtCon.enabled), value);
        if (field == u"pwd"_s) return expect(field, w.txtPwd.text(), value);
        if (field == u"pwd.visible"_s) return expect(field, boolText(w.txtPwd.visible), value);
        if (field == u"list.size"_s) return expect(field, QString::number(w.lstItems.size()), value);
        if (field == u"list.index"_s) return expect(field, QString::number(w.lstItemsIndex), value);
        fail(u"unknown check "_s + field);
    }

    QString m_path;
    QString m_mode;
    QStringList m_lines;
    bool m_music = false;
    QStringList m_failures;
    std::optional<StoryGame> m_game;
    std::optional<QStringList> m_expected;
    int m_expectedLine = 0;
    int m_lineNo = 0;
    int m_launches = 0;
    bool m_easy = false;
};

} // namespace

QStringList runTranscript(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {u"%1: cannot open"_s.arg(path)};
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');

    QStringList modes{u"hard"_s};
    bool music = false;
    for (const QString &line : lines) {
        if (line.startsWith(u"@modes "_s))
            modes = line.mid(7).trimmed().split(u' ', Qt::SkipEmptyParts);
        else if (line.trimmed() == u"@music"_s)
            music = true;
    }
    QStringList failures;
    for (const QString &mode : modes) {
        if (mode != u"hard"_s && mode != u"easy"_s) {
            failures << u"%1: unknown mode %2"_s.arg(path, mode);
            continue;
        }
        failures << Runner(path, mode, lines, music).run();
    }
    return failures;
}

} // namespace tarnvale::test
