// The windows come in a module of their own, so that the terminal game starts
// without the GUI libraries: the executable does not link them, the module
// offers its entry point, and without the module the program plays in the
// terminal instead of failing.
#include "app/desktopmodule.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLibrary>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <memory>
#include <vector>

using namespace Qt::Literals::StringLiterals;

class DesktopModuleTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void terminalGameLoadsNoGuiLibrary();
    void moduleOffersItsEntry();
    void withoutTheModuleThePlayGoesOnInTheTerminal();
    void displayThatCannotOpenPlaysInTheTerminal();
    void aRequestToEndReachesTheWindows();
    void aModuleWithoutItsEntryIsSaidSo();
};

namespace {

// The executable alone in a directory of its own, with a module beside it
// when one is given.
struct LonelyGame {
    QTemporaryDir dir;
    QString executable;
    QProcess process;

    explicit LonelyGame(const QString &module = {})
    {
        executable = dir.filePath(u"tarnvale"_s);
        QFile::copy(QStringLiteral(TARNVALE_EXECUTABLE), executable);
        if (!module.isEmpty())
            QFile::copy(module, dir.filePath(QFileInfo(module).fileName()));
    }
    // Runs it with a display, a command on standard input.
    void play()
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        process.setProcessEnvironment(env);
        process.start(executable, {});
        process.write("осмотреть урну\n");
        process.closeWriteChannel();
        process.waitForFinished();
    }
};

} // namespace

void DesktopModuleTest::terminalGameLoadsNoGuiLibrary()
{
    // The dynamic loader lists what it would load, and stops there.
    QProcess loader;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"LD_TRACE_LOADED_OBJECTS"_s, u"1"_s);
    loader.setProcessEnvironment(env);
    loader.start(QStringLiteral(TARNVALE_EXECUTABLE), {});
    QVERIFY(loader.waitForFinished());
    const QByteArray libraries = loader.readAllStandardOutput();
    QVERIFY2(libraries.contains("libQt6Core"), libraries.constData());
    QVERIFY2(!libraries.contains("libQt6Gui"), libraries.constData());
    QVERIFY2(!libraries.contains("libQt6Widgets"), libraries.constData());
}

void DesktopModuleTest::moduleOffersItsEntry()
{
    QLibrary module(QStringLiteral(TARNVALE_DESKTOP_MODULE));
    QVERIFY2(module.load(), qPrintable(module.errorString()));
    QVERIFY(module.resolve(tarnvale::kDesktopEntry));
}

void DesktopModuleTest::withoutTheModuleThePlayGoesOnInTheTerminal()
{
    LonelyGame game;
    QVERIFY(QFileInfo::exists(game.executable));
    game.play();
    QCOMPARE(game.process.exitCode(), 0);
    const QString err = QString::fromLocal8Bit(game.process.readAllStandardError());
    QVERIFY2(err.contains(u"playing in the terminal instead"_s), qPrintable(err));
    // It says where it looked: beside the executable and in the installed
    // module directory.
    const QString name = QFileInfo(QStringLiteral(TARNVALE_DESKTOP_MODULE)).fileName();
    const QDir dir(game.dir.path());
    QVERIFY2(err.contains(u"%1 not found; looked for %2 and "_s.arg(name, dir.filePath(name))), qPrintable(err));
    QVERIFY2(err.contains(u"/lib/games/tarnvale/"_s + name), qPrintable(err));
    QCOMPARE(err.count(u'\n'), 1);
    QVERIFY(QString::fromUtf8(game.process.readAllStandardOutput()).contains(u"пустая пачка сигарет"_s));
}

void DesktopModuleTest::aModuleWithoutItsEntryIsSaidSo()
{
    LonelyGame game(QStringLiteral(TARNVALE_ENTRYLESS_MODULE));
    const QString module = game.dir.filePath(QFileInfo(QStringLiteral(TARNVALE_ENTRYLESS_MODULE)).fileName());
    QVERIFY(QFileInfo::exists(module));
    game.play();
    QCOMPARE(game.process.exitCode(), 0);
    const QString err = QString::fromLocal8Bit(game.process.readAllStandardError());
    QVERIFY2(err.contains(u"%1 has no entry point tarnvale_run_desktop ("_s.arg(module)), qPrintable(err));
    QVERIFY2(err.contains(u"undefined symbol: tarnvale_run_desktop"_s), qPrintable(err));
    QVERIFY2(!err.contains(u"Unknown error"_s), qPrintable(err));
    QVERIFY2(err.contains(u"playing in the terminal instead"_s), qPrintable(err));
    QVERIFY(QString::fromUtf8(game.process.readAllStandardOutput()).contains(u"пустая пачка сигарет"_s));
}

// Every display that cannot open at once, each game played on for longer
// than the start-up's watchdog (15 s) before it is given its command: the
// program started again without the windows has no timer left, no signal
// blocked, and its own name.
void DesktopModuleTest::displayThatCannotOpenPlaysInTheTerminal()
{
    const QList<QStringList> cases = {
        {u"DISPLAY=:77"_s},
        {u"DISPLAY="_s},
        {u"QT_QPA_PLATFORM=nosuchplugin"_s},
        {u"WAYLAND_DISPLAY=wayland-77"_s, u"XDG_SESSION_TYPE=wayland"_s},
        {u"DISPLAY=:78"_s, u"WAYLAND_DISPLAY=wayland-78"_s},
    };
    constexpr int kWatchdogMs = 15000;
    QTemporaryDir dir;   // the working directory, where a core would land
    QVERIFY(dir.isValid());
    std::vector<std::unique_ptr<QProcess>> games;
    QElapsedTimer started;
    started.start();
    for (const QStringList &settings : cases) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_SESSION_TYPE"})
            env.remove(QString::fromLatin1(name));
        env.insert(u"XDG_RUNTIME_DIR"_s, dir.path());
        for (const QString &setting : settings)
            env.insert(setting.section(u'=', 0, 0), setting.section(u'=', 1));
        auto &game = games.emplace_back(std::make_unique<QProcess>());
        game->setProcessEnvironment(env);
        game->setWorkingDirectory(dir.path());
        game->start(QStringLiteral(TARNVALE_EXECUTABLE), {});
        QVERIFY(game->waitForStarted());
    }
    const QByteArray note("tarnvale: no display found, playing in the terminal instead\n");
    std::vector<QByteArray> errors(games.size());
    for (std::size_t i = 0; i < games.size(); ++i) {
        QProcess &game = *games[i];
        const QByteArray what = cases[qsizetype(i)].join(u' ').toUtf8();
        // The note comes from the program started again.
        QTRY_VERIFY2_WITH_TIMEOUT((errors[i] += game.readAllStandardError()).contains('\n'), what.constData(), 10000);
        QCOMPARE(errors[i], note);
        const QString proc = u"/proc/%1/"_s.arg(game.processId());
        QFile comm(proc + u"comm"_s);
        QVERIFY2(comm.open(QIODevice::ReadOnly), what.constData());
        QCOMPARE(comm.readAll(), QByteArray("tarnvale\n"));
        QFile status(proc + u"status"_s);
        QVERIFY2(status.open(QIODevice::ReadOnly), what.constData());
        const QByteArray fields = status.readAll();
        QVERIFY2(fields.contains("\nSigBlk:\t0000000000000000\n"), (what + "\n" + fields).constData());
    }
    // Past every timer the start set, each game still answers and ends well.
    QTest::qWait(int(std::max<qint64>(0, kWatchdogMs + 1500 - started.elapsed())));
    for (std::size_t i = 0; i < games.size(); ++i) {
        QProcess &game = *games[i];
        const QByteArray what = cases[qsizetype(i)].join(u' ').toUtf8();
        QVERIFY2(game.state() == QProcess::Running, what.constData());
        game.write("осмотреть урну\n");
        game.closeWriteChannel();
        QVERIFY2(game.waitForFinished(30000), what.constData());
        QCOMPARE(game.exitStatus(), QProcess::NormalExit);
        QCOMPARE(game.exitCode(), 0);
        // the one-line note and nothing of what the display's failure told Qt
        QCOMPARE(errors[i] + game.readAllStandardError(), note);
        QVERIFY2(QString::fromUtf8(game.readAllStandardOutput()).contains(u"пустая пачка сигарет"_s), what.constData());
    }
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList());
}

// A request to end sent to the program ends its windows, and the program
// ends by it.
void DesktopModuleTest::aRequestToEndReachesTheWindows()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    QProcess game;
    game.setProcessEnvironment(env);
    game.start(QStringLiteral(TARNVALE_EXECUTABLE), {});
    QVERIFY(game.waitForStarted());
    // The windows' libraries loaded, then long enough for the dialog to be
    // up, so that the windows are what ends.
    const QString maps = u"/proc/%1/maps"_s.arg(game.processId());
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
            QFile file(maps);
            return file.open(QIODevice::ReadOnly) && file.readAll().contains("libQt6Widgets");
        }(),
        10000);
    QTest::qWait(500);
    QVERIFY(game.state() == QProcess::Running);
    ::kill(pid_t(game.processId()), SIGTERM);
    QVERIFY(game.waitForFinished(10000));
    QCOMPARE(game.exitStatus(), QProcess::CrashExit);
    QCOMPARE(game.exitCode(), SIGTERM);
    QCOMPARE(game.readAllStandardOutput(), QByteArray());
}

QTEST_GUILESS_MAIN(DesktopModuleTest)
#include "desktop_module_test.moc"
