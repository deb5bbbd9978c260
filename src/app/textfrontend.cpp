#include "app/textfrontend.h"

#include "engine/game.h"
#include "story/story.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringDecoder>
#include <QStringList>

#include <cerrno>
#include <clocale>
#include <optional>
#include <utility>

#include <editline/readline.h>
#include <langinfo.h>
#include <cstdlib>
#include <cstring>
#include <stdio.h>

namespace tarnvale {

using namespace Qt::Literals::StringLiterals;

namespace {

// Thrown when standard output cannot take what is written; `error` is the
// errno of the failure (EPIPE: the reader has gone away).
struct WriteFailed {
    int error;
};
// Thrown when standard input cannot be read.
struct ReadFailed {
    int error;
};

class Writer {
public:
    explicit Writer(std::FILE *out) : m_out(out) {}

    void write(QByteArrayView bytes)
    {
        if (std::fwrite(bytes.constData(), 1, size_t(bytes.size()), m_out) != size_t(bytes.size()))
            throw WriteFailed{errno ? errno : EIO};
    }
    void flush()
    {
        if (std::fflush(m_out) != 0)
            throw WriteFailed{errno ? errno : EIO};
    }

private:
    std::FILE *m_out;
};

// The window's text as Qt takes it, without a copy of its own: Qt copies it
// into its storage anyway when it keeps or changes it.
QString borrowed(const std::u16string &text)
{
    return QString::fromRawData(reinterpret_cast<const QChar *>(text.data()), qsizetype(text.size()));
}

QJsonObject box(const TextBox &b, bool withEnabled)
{
    QJsonObject o{{u"text"_s, borrowed(b.text())}, {u"visible"_s, b.visible}};
    if (withEnabled)
        o.insert(u"enabled"_s, b.enabled);
    return o;
}

// Writes `text` as one JSON string. The last command can be a line of many
// megabytes: Qt's writer copies a string four times over on its way out, so
// the text goes through it a piece at a time, each piece a string of its own
// whose quotes are dropped. Escaping is character by character, so the pieces
// make exactly the whole text's escape as long as no piece ends between the
// two halves of a surrogate pair.
void writeJsonString(Writer &writer, QStringView text)
{
    constexpr qsizetype kPiece = 1024;
    writer.write("\"");
    while (!text.isEmpty()) {
        qsizetype n = qMin(kPiece, text.size());
        if (n < text.size() && text[n - 1].isHighSurrogate() && text[n].isLowSurrogate())
            --n;
        const QByteArray json =
            QJsonDocument(QJsonArray{text.first(n).toString()}).toJson(QJsonDocument::Compact);
        // ["...."]
        writer.write(QByteArrayView(json).sliced(2, json.size() - 4));
        text = text.sliced(n);
    }
    writer.write("\"");
}

// One line of JSON: the last command first, written on its own as it may be
// long, then the rest of the window as one object.
void writeJsonScreen(Writer &writer, const GameWindow &w)
{
    QJsonArray inventory;
    for (const std::u16string &slot : w.lblInv)
        inventory.append(borrowed(slot));
    const QJsonObject rest{
        {u"txtGame"_s, borrowed(w.txtGame)},
        {u"lblSteps"_s, borrowed(w.lblSteps)},
        {u"lblMoney"_s, borrowed(w.lblMoney)},
        {u"lblPoints"_s, borrowed(w.lblPoints)},
        {u"lblDiff"_s, borrowed(w.lblDiff)},
        {u"lblInv"_s, inventory},
        {u"txtCon"_s, box(w.txtCon, true)},
        {u"txtPwd"_s, box(w.txtPwd, false)},
    };
    const QByteArray json = QJsonDocument(rest).toJson(QJsonDocument::Compact);
    writer.write("{\"lblAction\":");
    writeJsonString(writer, borrowed(w.lblAction));
    writer.write(",");
    writer.write(QByteArrayView(json).sliced(1));   // the members and the closing brace
    writer.write("\n");
}

QByteArray humanScreen(const GameWindow &w)
{
    QString text = borrowed(w.txtGame);
    text.replace(u"\r\n"_s, u"\n"_s);
    if (!text.endsWith(u'\n'))
        text += u'\n';

    QStringList items;
    for (const std::u16string &slot : w.lblInv) {
        if (!slot.empty())
            items << borrowed(slot);
    }
    QString status = u"[ %1 | %2 | %3 | %4 | инвентарь: %5 ]"_s.arg(
        borrowed(w.lblMoney), borrowed(w.lblPoints), borrowed(w.lblSteps), borrowed(w.lblDiff),
        items.isEmpty() ? u"пусто"_s : items.join(u", "_s));
    if (w.txtPwd.visible)
        status += u"\n(введи пароль)"_s;
    else if (!w.txtCon.enabled)
        status += u"\n(игра окончена: команды больше не принимаются)"_s;
    return (text + status + u"\n\n"_s).toUtf8();
}

// Splits standard input into lines and decodes each from UTF-8.
class LineReader {
public:
    explicit LineReader(std::FILE *in) : m_in(in) {}
    ~LineReader() { std::free(m_buffer); }
    LineReader(const LineReader &) = delete;
    LineReader &operator=(const LineReader &) = delete;

    // Reads the next line without its terminator ("\n" or "\r\n"), its bad
    // bytes read as U+FFFD each (`clean` false then). Returns false at the
    // end of input, when nothing is left to read.
    bool next(QString &line, bool &clean)
    {
        errno = 0;
        const ssize_t got = getline(&m_buffer, &m_capacity, m_in);
        const int error = errno;
        if (got < 0) {
            if (std::ferror(m_in))
                throw ReadFailed{error ? error : EIO};
            return false;
        }
        const char *bytes = m_buffer;
        qsizetype size = qsizetype(got);
        // A byte-order mark may open the input, and only the input: on any
        // later line it is the character U+FEFF, kept as read.
        if (m_first) {
            m_first = false;
            if (size >= 3 && std::memcmp(bytes, "\xef\xbb\xbf", 3) == 0) {
                bytes += 3;
                size -= 3;
                if (size == 0)
                    return next(line, clean);   // the mark alone is no line
            }
        }
        if (size > 0 && bytes[size - 1] == '\n') {
            --size;
            if (size > 0 && bytes[size - 1] == '\r')
                --size;
        }
        // Each line is complete: a sequence cut by its end is bad bytes too.
        QStringDecoder decode(QStringDecoder::Utf8,
                              QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
        line = decode(QByteArrayView(bytes, size));
        clean = !decode.hasError();
        return true;
    }

private:
    std::FILE *m_in;
    char *m_buffer = nullptr;
    size_t m_capacity = 0;
    bool m_first = true;
};

// Reads the player's lines at the terminal with line editing: the caret
// keys, Home, End, Backspace and Delete edit the line, and Up recalls the
// last command the game took, as the game window's Up does.
class EditedReader {
public:
    EditedReader(std::FILE *in, std::FILE *out)
    {
        // The lines are UTF-8 whatever the locale says: the editor reads
        // them so too.
        const char *locale = std::setlocale(LC_CTYPE, "");
        const char *codeset = locale ? nl_langinfo(CODESET) : nullptr;
        if (codeset == nullptr || std::strcmp(codeset, "UTF-8") != 0)
            std::setlocale(LC_CTYPE, "C.UTF-8");
        rl_instream = in;
        rl_outstream = out;
    }

    bool next(QString &line, bool &clean, std::u16string_view lastCommand)
    {
        clear_history();
        if (!lastCommand.empty())
            add_history(QString::fromRawData(reinterpret_cast<const QChar *>(lastCommand.data()),
                                             qsizetype(lastCommand.size()))
                            .toUtf8()
                            .constData());
        char *read = readline(">> ");
        if (read == nullptr)
            return false;
        QStringDecoder decode(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        line = decode(QByteArrayView(read, qsizetype(std::strlen(read))));
        clean = !decode.hasError();
        std::free(read);
        return true;
    }
};

// A line as the player would type it into the command box of an easy game:
// a character at a time, each completed from the dictionary, then Enter.
// Once the text begins no phrase, nothing typed after it can, and the rest
// goes in at once.
bool typeLine(Game &game, std::u16string_view line)
{
    if (!game.visibleBox().acceptsInput())
        return false;
    std::size_t i = 0;
    while (i < line.size()) {
        const bool pair = i + 1 < line.size() && QChar::isHighSurrogate(line[i]) && QChar::isLowSurrogate(line[i + 1]);
        const std::size_t n = pair ? 2 : 1;
        game.type(line.substr(i, n));
        i += n;
        if (game.window().lstItemsIndex < 0 && !game.passwordShown())
            break;
    }
    if (i < line.size())
        game.type(line.substr(i));
    game.key(Key::Enter);
    return true;
}

// The exit status of a failed write, said on `err` unless the reader has
// gone away: then nobody wants more, and that is no failure.
int said(const WriteFailed &failure, std::FILE *err)
{
    if (failure.error == EPIPE)
        return 0;
    std::fprintf(err, "tarnvale: cannot write to standard output: %s\n", std::strerror(failure.error));
    return 1;
}

} // namespace

int writeOrSay(QByteArrayView bytes, std::FILE *out, std::FILE *err)
{
    Writer writer(out);
    try {
        writer.write(bytes);
        writer.flush();
    } catch (const WriteFailed &failure) {
        return said(failure, err);
    }
    return 0;
}

int runTextGame(GameSettings &settings, const TextOptions &options,
                const std::function<void()> &launchMusic,
                std::FILE *in, std::FILE *out, std::FILE *err)
{
    Writer writer(out);
    try {
        Game game(settings, tarnvaleStory(), launchMusic);
        const auto show = [&] {
            if (options.json) {
                writeJsonScreen(writer, game.window());
            } else {
                writer.write(humanScreen(game.window()));
            }
            writer.flush();
        };
        show();

        LineReader reader(in);
        std::optional<EditedReader> edited;
        if (options.prompt)
            edited.emplace(in, out);
        QString line;
        bool clean = true;
        long lineNo = 0;
        bool overSaid = false;
        for (;;) {
            writer.flush();
            const bool got = edited ? edited->next(line, clean, game.window().lblAction) : reader.next(line, clean);
            if (!got) {
                // The player ended the input at the prompt: the shell's own
                // prompt goes on a line of its own.
                if (options.prompt) {
                    writer.write("\n");
                    writer.flush();
                }
                break;
            }
            ++lineNo;
            if (!clean)
                std::fprintf(err, "tarnvale: line %ld is not valid UTF-8; the bad bytes were read as U+FFFD\n", lineNo);
            const std::u16string_view command(QStringView(line).utf16(), std::size_t(line.size()));
            if (options.prompt && !game.visibleBox().acceptsInput()) {
                // The game is over: an empty line starts a new one with the
                // same choices, anything else waits for it.
                if (command.empty()) {
                    game.newGame();
                    overSaid = false;
                    show();
                }
                continue;
            }
            const bool taken = settings.easyMode != kFalse ? typeLine(game, command) : game.submit(command);
            if (!taken)
                std::fprintf(err, "tarnvale: line %ld ignored: the game is over\n", lineNo);
            show();
            if (options.prompt && !game.visibleBox().acceptsInput() && !std::exchange(overSaid, true)) {
                writer.write(u"Игра окончена. Пустая строка начнёт новую игру с теми же настройками, "
                             u"Ctrl+D — выход.\n"_s.toUtf8());
                writer.flush();
            }
        }
    } catch (const WriteFailed &failure) {
        return said(failure, err);
    } catch (const ReadFailed &failure) {
        std::fprintf(err, "tarnvale: cannot read standard input: %s\n", std::strerror(failure.error));
        return 1;
    }
    return 0;
}

} // namespace tarnvale
