// The terminal front-end through the real executable: its JSON screens, the
// human layout, bad input, the options, failures of its standard streams and
// a reader that goes away.
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

struct Run {
    int status = -1;
    QByteArray out;
    QByteArray err;

    QList<QJsonObject> objects() const
    {
        QList<QJsonObject> list;
        for (const QByteArray &line : out.split('\n')) {
            if (line.isEmpty())
                continue;
            QJsonParseError error;
            const QJsonDocument doc = QJsonDocument::fromJson(line, &error);
            if (error.error != QJsonParseError::NoError)
                qWarning("not JSON: %s", line.left(200).constData());
            list << doc.object();
        }
        return list;
    }
};

Run tarnvale(const QStringList &args, const QByteArray &input,
             const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment())
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(TARNVALE_EXECUTABLE), args);
    p.write(input);
    p.closeWriteChannel();
    p.waitForFinished(60000);
    return {p.exitCode(), p.readAllStandardOutput(), p.readAllStandardError()};
}

QByteArray lines(const QStringList &commands)
{
    return (commands.join(u'\n') + u'\n').toUtf8();
}

const QStringList kJson{u"--text"_s, u"--json"_s};

// Runs a bash command line with the executable as $0, for redirections that
// QProcess cannot make (a closed descriptor, /dev/full, a directory).
Run shell(const QString &script)
{
    QProcess sh;
    sh.start(u"/bin/bash"_s, {u"-c"_s, script, QStringLiteral(TARNVALE_EXECUTABLE)});
    sh.waitForFinished(60000);
    return {sh.exitCode(), sh.readAllStandardOutput(), sh.readAllStandardError()};
}

} // namespace

class FrontendTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void oneObjectPerLine();
    void objectKeepsEveryWidget();
    void linesAreSubmittedAsTyped();
    void badBytesAreReadNotLost();
    void aMegabyteLine();
    void cutSequenceAtTheEndOfALine();
    void byteOrderMarks();
    void everyCharacterComesBack_data();
    void everyCharacterComesBack();
    void aSurrogatePairAcrossTheJsonPieces();
    void gameOverIgnoresLines();
    void streetToTheThugs_data();
    void streetToTheThugs();
    void humanLayout();
    void options();
    void fullScreenWithoutATerminal();
    void closedOutputEndsQuietly();
    void failuresAreSaid_data();
    void failuresAreSaid();
    void endOfInputAtATerminalLeavesAFreshLine();
    void musicIsLaunchedOncePerStart();
};

void FrontendTest::oneObjectPerLine()
{
    const Run r = tarnvale(kJson, "\nfoo\n");
    QCOMPARE(r.status, 0);
    const auto objects = r.objects();
    QCOMPARE(objects.size(), 3);
    const QJsonObject last = objects.last();
    QCOMPARE(last[u"lblSteps"].toString(), u"2 ходов"_s);
    QCOMPARE(last[u"lblAction"].toString(), u"foo"_s);
    QCOMPARE(last[u"txtGame"].toString(), u"Это выражение не подходит."_s);
    QVERIFY(r.err.isEmpty());
}

void FrontendTest::objectKeepsEveryWidget()
{
    const QJsonObject first = tarnvale(kJson, {}).objects().value(0);
    QVERIFY(first[u"txtGame"].toString().startsWith(u"Ты стоишь на улице. Мимо по дороге проносятся \r\n"_s));
    QCOMPARE(first[u"lblAction"].toString(), QString());
    QCOMPARE(first[u"lblSteps"].toString(), u"0 ходов"_s);
    QCOMPARE(first[u"lblMoney"].toString(), u"60 руб."_s);
    QCOMPARE(first[u"lblPoints"].toString(), u"0 очков"_s);
    QCOMPARE(first[u"lblDiff"].toString(), u"сложная игра"_s);
    QCOMPARE(first[u"lblInv"].toArray().size(), 10);
    const QJsonObject con = first[u"txtCon"].toObject();
    QCOMPARE(con[u"text"].toString(), QString());
    QCOMPARE(con[u"visible"].toBool(), true);
    QCOMPARE(con[u"enabled"].toBool(), true);
    QCOMPARE(first[u"txtPwd"].toObject()[u"visible"].toBool(), false);

    const QJsonObject easy = tarnvale({u"--text"_s, u"--easy"_s, u"--json"_s}, {}).objects().value(0);
    QCOMPARE(easy[u"lblDiff"].toString(), u"простая игра"_s);
}

void FrontendTest::linesAreSubmittedAsTyped()
{
    // CR LF and LF end a line; blanks and case are kept; the last line may
    // lack its terminator.
    const auto objects = tarnvale(kJson, "  Осм \r\nосмотреть урну\r\nосм\r\rx").objects();
    QCOMPARE(objects.size(), 4);
    QCOMPARE(objects[1][u"lblAction"].toString(), u"  Осм "_s);
    QCOMPARE(objects[1][u"txtGame"].toString(), u"Это выражение не подходит."_s);
    QCOMPARE(objects[2][u"lblPoints"].toString(), u"100 очков"_s);
    QCOMPARE(objects[2][u"lblInv"].toArray()[0].toString(), u"пустая пачка сигарет"_s);
    QCOMPARE(objects[3][u"lblAction"].toString(), u"осм\r\rx"_s);
    // In an easy game a line is typed as a player types it, with the
    // completion after each character: "о" submits "осм", "ОСМ У" "осм урну",
    // and a line that begins no phrase goes in as typed.
    const auto easy = tarnvale({u"--text"_s, u"--easy"_s, u"--json"_s}, "о\nОСМ У\nxyz\n").objects();
    QCOMPARE(easy[1][u"lblAction"].toString(), u"осм"_s);
    QCOMPARE(easy[2][u"lblAction"].toString(), u"осм урну"_s);
    QCOMPARE(easy[2][u"lblPoints"].toString(), u"20 очков"_s);
    QCOMPARE(easy[3][u"lblAction"].toString(), u"xyz"_s);
}

void FrontendTest::badBytesAreReadNotLost()
{
    const Run r = tarnvale(kJson, QByteArray("\xff\xfeosm\n", 6) + QByteArray("a\0b\x01\n", 5));
    const auto objects = r.objects();
    QCOMPARE(objects.size(), 3);
    QCOMPARE(objects[1][u"lblAction"].toString(), u"\uFFFD\uFFFDosm"_s);
    QCOMPARE(objects[1][u"txtGame"].toString(), u"Это выражение не подходит."_s);
    QCOMPARE(objects[2][u"lblAction"].toString(), u"a\u0000b\u0001"_s);
    QCOMPARE(objects[2][u"lblSteps"].toString(), u"2 ходов"_s);
    QCOMPARE(r.err.count('\n'), 1);
    QVERIFY(r.err.contains("line 1"));
}

void FrontendTest::aMegabyteLine()
{
    const QByteArray big(1 << 20, 'z');
    const auto objects = tarnvale(kJson, big + "\nосм урну\n").objects();
    QCOMPARE(objects.size(), 3);
    QCOMPARE(objects[1][u"lblAction"].toString().size(), 1 << 20);
    QCOMPARE(objects[2][u"lblPoints"].toString(), u"100 очков"_s);
}

void FrontendTest::cutSequenceAtTheEndOfALine()
{
    // "осмотреть урну" and the first byte of a further letter: not the
    // urn's phrase, and said like bad bytes anywhere else.
    Run r = tarnvale(kJson, "осмотреть урну\xd1\nосмотреть урну\n");
    auto objects = r.objects();
    QCOMPARE(objects.size(), 3);
    QCOMPARE(objects[1][u"lblAction"].toString(), u"осмотреть урну\uFFFD"_s);
    QCOMPARE(objects[1][u"txtGame"].toString(), u"Это выражение не подходит."_s);
    QCOMPARE(objects[1][u"lblPoints"].toString(), u"0 очков"_s);
    QCOMPARE(objects[2][u"lblPoints"].toString(), u"100 очков"_s);
    QCOMPARE(r.err, QByteArray("tarnvale: line 1 is not valid UTF-8; the bad bytes were read as U+FFFD\n"));

    // Before CR LF, and at the very end of the input without a terminator:
    // each byte of the cut sequence is one U+FFFD.
    r = tarnvale(kJson, "x\xe2\x82\r\nok\ny\xf0\x9f\x98");
    objects = r.objects();
    QCOMPARE(objects.size(), 4);
    QCOMPARE(objects[1][u"lblAction"].toString(), u"x\uFFFD\uFFFD"_s);
    QCOMPARE(objects[2][u"lblAction"].toString(), u"ok"_s);
    QCOMPARE(objects[3][u"lblAction"].toString(), u"y\uFFFD\uFFFD\uFFFD"_s);
    QCOMPARE(r.err.count('\n'), 2);
    QVERIFY(r.err.contains("line 1 ") && r.err.contains("line 3 "));
}

void FrontendTest::byteOrderMarks()
{
    // A mark that opens the input is skipped; on a later line U+FEFF is a
    // character like any other, and the phrase with it is no phrase.
    const QByteArray bom("\xef\xbb\xbf");
    Run r = tarnvale(kJson, bom + "осм урну\n" + bom + "осм урну\n");
    auto objects = r.objects();
    QCOMPARE(objects.size(), 3);
    QCOMPARE(objects[1][u"lblAction"].toString(), u"осм урну"_s);
    QCOMPARE(objects[1][u"lblPoints"].toString(), u"100 очков"_s);
    QCOMPARE(objects[2][u"txtGame"].toString(), u"Это выражение не подходит."_s);
    // Qt's parser drops a U+FEFF that opens a string, so the bytes are read.
    QVERIFY(r.out.split('\n')[2].startsWith("{\"lblAction\":\"" + bom + "осм урну\","));
    QVERIFY(r.err.isEmpty());

    // The mark alone is no line; the mark and a line break are an empty one;
    // two marks at the start are one skipped and one kept.
    QCOMPARE(tarnvale(kJson, bom).objects().size(), 1);
    objects = tarnvale(kJson, bom + "\n").objects();
    QCOMPARE(objects.size(), 2);
    QCOMPARE(objects[1][u"lblAction"].toString(), QString());
    QCOMPARE(objects[1][u"lblSteps"].toString(), u"1 ходов"_s);
    r = tarnvale(kJson, bom + bom + "x");
    QCOMPARE(r.objects().size(), 2);
    QVERIFY(r.out.split('\n')[1].startsWith("{\"lblAction\":\"" + bom + "x\","));
}

void FrontendTest::everyCharacterComesBack_data()
{
    QTest::addColumn<QString>("line");
    QTest::newRow("astral") << u"a\U0001F600b"_s;
    QTest::newRow("astral only") << u"\U0001F600\U0001D11E\U0010FFFD"_s;
    QTest::newRow("JSON's own") << u"\"\\/\b\f\t"_s;
    QTest::newRow("controls") << u"\u0001\u001f\u007f\u0085"_s;
    QTest::newRow("separators") << u"a\u2028b\u2029c"_s;
    QTest::newRow("marks") << u"\u200f\u202eабв\uFEFF"_s;
    QTest::newRow("last of the planes") << u"\uFFFF\uFFFE\U000EFFFF"_s;
}

void FrontendTest::everyCharacterComesBack()
{
    QFETCH(QString, line);
    const Run r = tarnvale(kJson, line.toUtf8() + '\n');
    const auto objects = r.objects();
    QCOMPARE(objects.size(), 2);
    QCOMPARE(objects[1][u"lblAction"].toString(), line);
    QVERIFY(r.err.isEmpty());
    // One object per line: no raw line break inside.
    QCOMPARE(r.out.count('\n'), 2);
}

void FrontendTest::aSurrogatePairAcrossTheJsonPieces()
{
    // Long text is written in pieces; characters outside the Basic
    // Multilingual Plane sit at every offset around the pieces' seams.
    QString line;
    for (int i = 0; i < 5000; ++i) {
        line += QString(i % 7, u'ж');
        line += u"\U0001F600"_s;
        if (i % 3 == 0)
            line += u'"';
    }
    const Run r = tarnvale(kJson, line.toUtf8() + '\n');
    const auto objects = r.objects();
    QCOMPARE(objects.size(), 2);
    QCOMPARE(objects[1][u"lblAction"].toString(), line);
    QVERIFY(!r.out.contains("\\ud83d"));   // never a lone half, escaped
}

void FrontendTest::gameOverIgnoresLines()
{
    const QStringList walk{u"налево"_s, u"взять кирпич"_s, u"на улицу"_s, u"разбить витрину"_s,
                           u"осм урну"_s};
    const Run r = tarnvale(kJson, lines(walk));
    const auto objects = r.objects();
    QCOMPARE(objects.size(), 6);
    const QJsonObject over = objects[4];
    QVERIFY(over[u"txtGame"].toString().endsWith(u"\r\n\r\nХа! Ты завершил игру раньше времени.\r\nИгра Окончена."_s));
    QCOMPARE(over[u"txtCon"].toObject()[u"enabled"].toBool(), false);
    QCOMPARE(over[u"lblSteps"].toString(), u"4 ходов"_s);
    // The line after the end changes nothing, yet an object is printed.
    QCOMPARE(objects[5], over);
    QVERIFY(r.err.contains("line 5"));
}

void FrontendTest::streetToTheThugs_data()
{
    QTest::addColumn<bool>("easy");
    QTest::addColumn<QString>("points");
    QTest::newRow("hard") << false << u"400 очков"_s;
    QTest::newRow("easy") << true << u"80 очков"_s;
}

void FrontendTest::streetToTheThugs()
{
    QFETCH(bool, easy);
    QFETCH(QString, points);
    QStringList args = kJson;
    if (easy)
        args << u"--easy"_s;
    const QStringList walk{u"осмотреть урну"_s, u"в магазин"_s, u"купить сигареты"_s,
                           u"выйти на улицу"_s, u"пересыпать сигареты"_s, u"направо"_s,
                           u"осмотреться"_s};
    const QJsonObject last = tarnvale(args, lines(walk)).objects().last();
    QCOMPARE(last[u"lblPoints"].toString(), points);
    QCOMPARE(last[u"lblMoney"].toString(), u"50 руб."_s);
    for (const QJsonValue &slot : last[u"lblInv"].toArray())
        QVERIFY(slot.toString().isEmpty());
    QVERIFY(last[u"txtGame"].toString().contains(u"Отморозки пьют пиво и ржут."_s));
}

void FrontendTest::humanLayout()
{
    const Run r = tarnvale({u"--text"_s}, "осм урну\n");
    QCOMPARE(r.status, 0);
    const QString out = QString::fromUtf8(r.out);
    QVERIFY(!out.contains(u'\r'));
    QVERIFY(!out.contains(u">> "_s)); // no prompt unless a terminal is reading
    QVERIFY(out.contains(u"Ты стоишь на улице. Мимо по дороге проносятся \nмашины."_s));
    QVERIFY(out.contains(u"[ 60 руб. | 100 очков | 1 ходов | сложная игра | инвентарь: пустая пачка сигарет ]"_s));
}

void FrontendTest::options()
{
    Run r = tarnvale({u"--help"_s}, {});
    QCOMPARE(r.status, 0);
    QVERIFY(r.out.startsWith("Usage: tarnvale"));
    r = tarnvale({u"--version"_s}, {});
    QCOMPARE(r.status, 0);
    QCOMPARE(r.out, QByteArray("tarnvale " TARNVALE_VERSION "\n"));
    for (const QStringList &bad : {QStringList{u"--bogus"_s}, QStringList{u"--json"_s},
                                   QStringList{u"--text"_s, u"extra"_s},
                                   QStringList{u"--terminal"_s, u"--text"_s},
                                   QStringList{u"--terminal"_s, u"--easy"_s}}) {
        r = tarnvale(bad, {});
        QCOMPARE(r.status, 2);
        QVERIFY(r.out.isEmpty());
        QVERIFY(r.err.contains("Usage: tarnvale"));
    }
}

void FrontendTest::fullScreenWithoutATerminal()
{
    // Piped, the full-screen game cannot run: it says so and plays line by line.
    const Run r = tarnvale({u"--terminal"_s}, "осмотреть урну\n");
    QCOMPARE(r.status, 0);
    QVERIFY2(r.err.contains("needs a terminal on standard input and output"), r.err.constData());
    QVERIFY(r.out.contains("Грязная урна, вся в ржавчине."));
    QVERIFY(r.out.contains("100 очков"));
    QVERIFY(!r.out.contains("\x1b"));
}

void FrontendTest::closedOutputEndsQuietly()
{
    QProcess sh;
    sh.start(u"/bin/bash"_s, {u"-c"_s, u"yes 'осм' | head -n 20000 | \"$0\" --text --json | head -n 1 >/dev/null;"
                                       u" echo ${PIPESTATUS[2]}"_s, QStringLiteral(TARNVALE_EXECUTABLE)});
    QVERIFY(sh.waitForFinished(60000));
    QCOMPARE(sh.readAllStandardOutput().trimmed(), QByteArray("0"));
    QCOMPARE(sh.readAllStandardError(), QByteArray());
}

void FrontendTest::failuresAreSaid_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QByteArray>("said");
    const QByteArray full = "tarnvale: cannot write to standard output: No space left on device\n";
    const QByteArray closed = "tarnvale: cannot write to standard output: Bad file descriptor\n";
    QTest::newRow("output full") << u"echo осм | \"$0\" --text >/dev/full"_s << full;
    QTest::newRow("output full, JSON") << u"echo осм | \"$0\" --text --json >/dev/full"_s << full;
    QTest::newRow("output closed") << u"echo осм | \"$0\" --text >&-"_s << closed;
    QTest::newRow("help, output full") << u"\"$0\" --help >/dev/full"_s << full;
    QTest::newRow("version, output closed") << u"\"$0\" --version >&-"_s << closed;
    QTest::newRow("input a directory")
        << u"\"$0\" --text --json </ >/dev/null"_s
        << QByteArray("tarnvale: cannot read standard input: Is a directory\n");
    QTest::newRow("input closed")
        << u"\"$0\" --text <&- >/dev/null"_s
        << QByteArray("tarnvale: cannot read standard input: Bad file descriptor\n");
}

void FrontendTest::failuresAreSaid()
{
    QFETCH(QString, script);
    QFETCH(QByteArray, said);
    const Run r = shell(script);
    QCOMPARE(r.err, said);
    QCOMPARE(r.status, 1);
}

void FrontendTest::endOfInputAtATerminalLeavesAFreshLine()
{
    // A real terminal: the game on a pseudo-terminal, a command typed, then
    // Ctrl+D at the prompt.
    int master = -1;
    const pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
    QVERIFY(pid >= 0);
    if (pid == 0) {
        execl(TARNVALE_EXECUTABLE, TARNVALE_EXECUTABLE, "--text", nullptr);
        _exit(127);
    }
    QByteArray screen;
    const auto readUntil = [&](const QByteArray &what) {
        QElapsedTimer timer;
        timer.start();
        while (!screen.contains(what) && timer.elapsed() < 20000) {
            char buf[4096];
            const ssize_t n = read(master, buf, sizeof buf);
            if (n <= 0)
                break;
            screen.append(buf, n);
        }
        return screen.contains(what);
    };
    QVERIFY2(readUntil(">> "), screen.constData());
    const QByteArray command = "осм урну\n";
    QCOMPARE(write(master, command.constData(), size_t(command.size())), ssize_t(command.size()));
    QVERIFY2(readUntil("100 очков"), screen.constData());
    QVERIFY2(readUntil("]\r\n\r\n>> "), screen.constData());
    // Ctrl+D once the line editor reads the terminal key by key: sent while
    // the terminal still gathers whole lines, it would be an end of input
    // that the editor never sees (a person is never that quick).
    QElapsedTimer editing;
    editing.start();
    for (termios modes{}; tcgetattr(master, &modes) == 0 && (modes.c_lflag & ICANON) && editing.elapsed() < 5000;)
        QThread::msleep(10);
    QCOMPARE(write(master, "\x04", 1), ssize_t(1));
    // To the end: reading fails once the game has ended and closed the terminal.
    for (char buf[4096];;) {
        const ssize_t n = read(master, buf, sizeof buf);
        if (n <= 0)
            break;
        screen.append(buf, n);
    }
    int status = -1;
    QCOMPARE(waitpid(pid, &status, 0), pid);
    close(master);
    QVERIFY(WIFEXITED(status));
    QCOMPARE(WEXITSTATUS(status), 0);
    // The line editor shows Ctrl+D as "^D"; the game ends the prompt's line.
    QVERIFY2(screen.endsWith("]\r\n\r\n>> ^D\r\n") || screen.endsWith("]\r\n\r\n>> \r\n"),
             screen.right(40).toHex(' ').constData());
}

void FrontendTest::musicIsLaunchedOncePerStart()
{
    QTemporaryDir dir;
    const QString log = dir.filePath(u"music.log"_s);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"TARNVALE_MUSIC"_s, u"echo playing >> '%1'; echo noise"_s.arg(log));

    Run r = tarnvale({u"--text"_s, u"--json"_s}, "осм\n", env);
    QCOMPARE(r.objects().size(), 2);
    QVERIFY(!QFile::exists(log));

    r = tarnvale({u"--text"_s, u"--music"_s, u"--json"_s}, "осм\n", env);
    QCOMPARE(r.objects().size(), 2); // the music's own output stays out of ours
    // The music runs on its own: its line may land a moment after the game.
    const auto logged = [&log] {
        QFile f(log);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    QTRY_COMPARE(logged(), QByteArray("playing\n"));

    // A music program that does not exist costs the game nothing.
    env.remove(u"TARNVALE_MUSIC"_s);
    env.insert(u"PATH"_s, dir.path());
    r = tarnvale({u"--text"_s, u"--music"_s, u"--json"_s}, "осм\n", env);
    QCOMPARE(r.status, 0);
    QCOMPARE(r.objects().size(), 2);
    QCOMPARE(r.err.count('\n'), 1);
}

QTEST_GUILESS_MAIN(FrontendTest)
#include "frontend_test.moc"
