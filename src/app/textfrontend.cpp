#include "app/textfrontend.h"

#include "app/qtstrings.h"
#include "engine/game.h"
#include "story/story.h"

#include <QByteArray>
#include <QStringDecoder>
#include <QStringList>

namespace tarnvale {

using namespace Qt::Literals::StringLiterals;

namespace {

// Thrown when standard output has gone away: the game ends quietly.
struct OutputClosed {};

class Writer {
public:
    explicit Writer(std::FILE *out) : m_out(out) {}

    void write(const QByteArray &bytes)
    {
        if (std::fwrite(bytes.constData(), 1, size_t(bytes.size()), m_out) != size_t(bytes.size()))
            throw OutputClosed{};
    }
    void flush()
    {
        if (std::fflush(m_out) != 0)
            throw OutputClosed{};
    }

private:
    std::FILE *m_out;
};

void appendJsonString(QByteArray &out, std::u16string_view s)
{
    out += '"';
    for (char16_t c : s) {
        const char16_t u = c;
        switch (u) {
        case u'"': out += "\\\""; break;
        case u'\\': out += "\\\\"; break;
        case u'\n': out += "\\n"; break;
        case u'\r': out += "\\r"; break;
        case u'\t': out += "\\t"; break;
        default:
            if (u < 0x20 || u == 0x2028 || u == 0x2029) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", unsigned(u));
                out += buf;
            } else {
                out += QStringView(&c, 1).toUtf8();
            }
        }
    }
    out += '"';
}

QByteArray jsonScreen(const GameWindow &w)
{
    QByteArray out;
    out.reserve(512 + w.txtGame.size() * 2);
    const auto field = [&out](const char *key, std::u16string_view value) {
        out += '"';
        out += key;
        out += "\":";
        appendJsonString(out, value);
        out += ',';
    };
    const auto flag = [](bool b) { return b ? "true" : "false"; };
    out += '{';
    field("txtGame", w.txtGame);
    field("lblAction", w.lblAction);
    field("lblSteps", w.lblSteps);
    field("lblMoney", w.lblMoney);
    field("lblPoints", w.lblPoints);
    field("lblDiff", w.lblDiff);
    out += "\"lblInv\":[";
    for (int i = 0; i < kInventorySlots; ++i) {
        if (i)
            out += ',';
        appendJsonString(out, w.lblInv[i]);
    }
    out += "],\"txtCon\":{\"text\":";
    appendJsonString(out, w.txtCon.text());
    out += ",\"visible\":";
    out += flag(w.txtCon.visible);
    out += ",\"enabled\":";
    out += flag(w.txtCon.enabled);
    out += "},\"txtPwd\":{\"text\":";
    appendJsonString(out, w.txtPwd.text());
    out += ",\"visible\":";
    out += flag(w.txtPwd.visible);
    out += "}}\n";
    return out;
}

QByteArray humanScreen(const GameWindow &w)
{
    QString text = toQString(w.txtGame);
    text.replace(u"\r\n"_s, u"\n"_s);
    if (!text.endsWith(u'\n'))
        text += u'\n';

    QStringList items;
    for (const std::u16string &slot : w.lblInv) {
        if (!slot.empty())
            items << toQString(slot);
    }
    QString status = u"[ %1 | %2 | %3 | %4 | инвентарь: %5 ]"_s.arg(
        toQString(w.lblMoney), toQString(w.lblPoints), toQString(w.lblSteps), toQString(w.lblDiff),
        items.isEmpty() ? u"пусто"_s : items.join(u", "_s));
    if (w.txtPwd.visible)
        status += u"\n(введи пароль)"_s;
    else if (!w.txtCon.enabled)
        status += u"\n(игра окончена: команды больше не принимаются)"_s;
    return (text + status + u"\n\n"_s).toUtf8();
}

// Reads one line without its terminator ("\n" or "\r\n"). Returns false at
// the end of input when nothing was read.
bool readLine(std::FILE *in, QByteArray &line)
{
    line.clear();
    int c;
    bool any = false;
    while ((c = std::getc(in)) != EOF) {
        any = true;
        if (c == '\n')
            break;
        line += char(c);
    }
    if (!any)
        return false;
    if (c == '\n' && line.endsWith('\r'))
        line.chop(1);
    return true;
}

} // namespace

int runTextGame(GameSettings &settings, const TextOptions &options,
                const std::function<void()> &launchMusic,
                std::FILE *in, std::FILE *out, std::FILE *err)
{
    Writer writer(out);
    try {
        Game game(settings, tarnvaleStory(), launchMusic);
        const auto show = [&] {
            writer.write(options.json ? jsonScreen(game.window()) : humanScreen(game.window()));
            writer.flush();
        };
        show();

        QByteArray bytes;
        long lineNo = 0;
        for (;;) {
            if (options.prompt) {
                writer.write(">> ");
                writer.flush();
            }
            if (!readLine(in, bytes))
                break;
            ++lineNo;
            QStringDecoder decode(QStringDecoder::Utf8);
            const QString line = decode(bytes);
            if (decode.hasError())
                std::fprintf(err, "tarnvale: line %ld is not valid UTF-8; the bad bytes were read as U+FFFD\n", lineNo);
            if (!game.submit(u16View(line)))
                std::fprintf(err, "tarnvale: line %ld ignored: the game is over\n", lineNo);
            show();
        }
    } catch (const OutputClosed &) {
        // Nobody is reading any more.
    }
    return 0;
}

} // namespace tarnvale
