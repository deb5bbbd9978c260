#include "app/textfrontend.h"

#include "engine/json.h"
#include "engine/program.h"
#include "story/story.h"
#include "story/windows.h"

#include <QByteArray>
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
QString borrowed(std::u16string_view text)
{
    return QString::fromRawData(reinterpret_cast<const QChar *>(text.data()), qsizetype(text.size()));
}

std::u16string_view shown(const View &view, std::string_view name)
{
    const WidgetView *w = view.find(Window::Game, name);
    return w ? w->text : std::u16string_view{};
}

// One line of JSON: the game window's labels and boxes as the window shows them.
void writeJsonScreen(Writer &writer, const View &view)
{
    json::Writer out;
    out.beginObject();
    for (const char *label : {"lblAction", "txtGame", "lblSteps", "lblMoney", "lblPoints", "lblDiff"})
        out.key(label).value(shown(view, label));
    out.key("lblInv").beginArray();
    for (const std::string_view slot : windows::kInventoryNames)
        out.value(shown(view, slot));
    out.endArray();
    for (const char *name : {"txtCon", "txtPwd"}) {
        const WidgetView *box = view.find(Window::Game, name);
        out.key(name).beginObject();
        out.key("text").value(box ? box->text : std::u16string_view{});
        out.key("visible").value(box && box->visible);
        if (std::string_view(name) == "txtCon")
            out.key("enabled").value(box && box->enabled);
        out.endObject();
    }
    out.endObject();
    std::string line = out.take();
    line += '\n';
    writer.write(QByteArrayView(line.data(), qsizetype(line.size())));
}

QByteArray humanScreen(const View &view)
{
    QString text = borrowed(shown(view, "txtGame"));
    text.replace(u"\r\n"_s, u"\n"_s);
    if (!text.endsWith(u'\n'))
        text += u'\n';
    QStringList items;
    for (const std::string_view slot : windows::kInventoryNames) {
        if (!shown(view, slot).empty())
            items << borrowed(shown(view, slot));
    }
    QString status = u"[ %1 | %2 | %3 | %4 | инвентарь: %5 ]"_s.arg(
        borrowed(shown(view, "lblMoney")), borrowed(shown(view, "lblPoints")), borrowed(shown(view, "lblSteps")),
        borrowed(shown(view, "lblDiff")), items.isEmpty() ? u"пусто"_s : items.join(u", "_s));
    const WidgetView *box = view.visibleBox();
    if (view.passwordShown)
        status += u"\n(введи пароль)"_s;
    else if (box && !box->enabled)
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

bool takesInput(Program &program)
{
    const WidgetView *box = program.view().visibleBox();
    return box && box->visible && box->enabled;
}

// A line as the player would type it into the command box of an easy game:
// a character at a time, each completed from the dictionary, then Enter.
// Once the text begins no phrase, nothing typed after it can, and the rest
// goes in at once. A line break (a lone CR inside the line) cannot be typed
// into a one-line box: such a line goes in whole, as read.
bool typeLine(Program &program, std::u16string_view line)
{
    if (!takesInput(program))
        return false;
    if (firstLine(line).size() != line.size())
        return program.submit(line);
    std::size_t i = 0;
    while (i < line.size()) {
        const bool pair = i + 1 < line.size() && QChar::isHighSurrogate(line[i]) && QChar::isLowSurrogate(line[i + 1]);
        const std::size_t n = pair ? 2 : 1;
        program.type(line.substr(i, n));
        i += n;
        const View &view = program.view();
        if (view.listIndex < 0 && !view.passwordShown)
            break;
    }
    if (i < line.size())
        program.type(line.substr(i));
    program.key(Key::Enter);
    return true;
}

// The game with the choices given, as the dialog starts it from the keyboard.
void startGame(Program &program, const GameSettings &choices)
{
    program.press(Window::Dialog, choices.easyMode != kFalse ? Control::Easy : Control::Hard, 0);
    program.press(Window::Dialog, choices.musicOn != kFalse ? Control::MusicOn : Control::MusicOff, 0);
    program.press(Window::Dialog, Control::Start, 0);
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
        const GameSettings choices = settings;
        Program program(settings, tarnvaleStory(), launchMusic);
        program.start();
        startGame(program, choices);
        const auto show = [&] {
            if (options.json) {
                writeJsonScreen(writer, program.view());
            } else {
                writer.write(humanScreen(program.view()));
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
            const bool got = edited ? edited->next(line, clean, shown(program.view(), "lblAction"))
                                    : reader.next(line, clean);
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
            if (options.prompt && !takesInput(program)) {
                // The game is over: an empty line starts a new one with the
                // same choices, anything else waits for it.
                if (command.empty()) {
                    program.press(Window::Game, Control::New, 0);
                    startGame(program, choices);
                    overSaid = false;
                    show();
                }
                continue;
            }
            const bool taken = choices.easyMode != kFalse ? typeLine(program, command) : program.submit(command);
            if (!taken)
                std::fprintf(err, "tarnvale: line %ld ignored: the game is over\n", lineNo);
            show();
            if (options.prompt && !takesInput(program) && !std::exchange(overSaid, true)) {
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
