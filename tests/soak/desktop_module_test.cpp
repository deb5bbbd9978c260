// The windows come in a module of their own, so that the terminal game starts
// without the GUI libraries: the executable does not link them, the module
// offers its entry point, and without the module the program plays in the
// terminal instead of failing.
#include "app/desktopmodule.h"

#include <QDir>
#include <QLibrary>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

using namespace Qt::Literals::StringLiterals;

class DesktopModuleTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void terminalGameLoadsNoGuiLibrary();
    void moduleOffersItsEntry();
    void withoutTheModuleThePlayGoesOnInTheTerminal();
    void displayThatCannotOpenPlaysInTheTerminal_data();
    void displayThatCannotOpenPlaysInTheTerminal();
    void aRequestToEndReachesTheWindows();
};

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
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString lonely = dir.filePath(u"tarnvale"_s);
    QVERIFY(QFile::copy(QStringLiteral(TARNVALE_EXECUTABLE), lonely));

    QProcess game;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    game.setProcessEnvironment(env);
    game.start(lonely, {});
    game.write("осмотреть урну\n");
    game.closeWriteChannel();
    QVERIFY(game.waitForFinished());
    QCOMPARE(game.exitCode(), 0);
    QVERIFY(game.readAllStandardError().contains("playing in the terminal instead"));
    QVERIFY(QString::fromUtf8(game.readAllStandardOutput()).contains(u"пустая пачка сигарет"_s));
}

void DesktopModuleTest::displayThatCannotOpenPlaysInTheTerminal_data()
{
    QTest::addColumn<QStringList>("settings");
    QTest::newRow("X display nobody serves") << QStringList{u"DISPLAY=:77"_s};
    QTest::newRow("empty DISPLAY") << QStringList{u"DISPLAY="_s};
    QTest::newRow("missing platform plugin") << QStringList{u"QT_QPA_PLATFORM=nosuchplugin"_s};
    QTest::newRow("Wayland without a compositor")
        << QStringList{u"WAYLAND_DISPLAY=wayland-77"_s, u"XDG_SESSION_TYPE=wayland"_s};
    QTest::newRow("both, neither there") << QStringList{u"DISPLAY=:78"_s, u"WAYLAND_DISPLAY=wayland-78"_s};
}

void DesktopModuleTest::displayThatCannotOpenPlaysInTheTerminal()
{
    QFETCH(QStringList, settings);
    QTemporaryDir dir;   // the working directory, where a core would land
    QVERIFY(dir.isValid());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_SESSION_TYPE"})
        env.remove(QString::fromLatin1(name));
    env.insert(u"XDG_RUNTIME_DIR"_s, dir.path());
    for (const QString &setting : std::as_const(settings))
        env.insert(setting.section(u'=', 0, 0), setting.section(u'=', 1));

    QProcess game;
    game.setProcessEnvironment(env);
    game.setWorkingDirectory(dir.path());
    game.start(QStringLiteral(TARNVALE_EXECUTABLE), {});
    game.write("осмотреть урну\n");
    game.closeWriteChannel();
    QVERIFY(game.waitForFinished(30000));
    QCOMPARE(game.exitStatus(), QProcess::NormalExit);
    QCOMPARE(game.exitCode(), 0);
    // the one-line note and nothing of what the display's failure told Qt
    QCOMPARE(game.readAllStandardError(), QByteArray("tarnvale: no display found, playing in the terminal instead\n"));
    QVERIFY(QString::fromUtf8(game.readAllStandardOutput()).contains(u"пустая пачка сигарет"_s));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList());
}

// The windows run in a child of the process the player started; a request
// to end sent to that process ends them, and it ends as they did.
void DesktopModuleTest::aRequestToEndReachesTheWindows()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    QProcess game;
    game.setProcessEnvironment(env);
    game.start(QStringLiteral(TARNVALE_EXECUTABLE), {});
    QVERIFY(game.waitForStarted());
    const QString childrenFile = u"/proc/%1/task/%1/children"_s.arg(game.processId());
    QString windows;
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
            QFile children(childrenFile);
            windows = children.open(QIODevice::ReadOnly) ? QString::fromLatin1(children.readAll()).trimmed()
                                                         : QString();
            return !windows.isEmpty();
        }(),
        10000);
    // long enough for the dialog to be up, so that the windows are what ends
    QTest::qWait(500);
    QVERIFY(game.state() == QProcess::Running);
    ::kill(pid_t(game.processId()), SIGTERM);
    QVERIFY(game.waitForFinished(10000));
    QCOMPARE(game.exitStatus(), QProcess::CrashExit);
    QCOMPARE(game.exitCode(), SIGTERM);
    QCOMPARE(game.readAllStandardOutput(), QByteArray());
    QTRY_VERIFY_WITH_TIMEOUT(!QFileInfo::exists(u"/proc/"_s + windows.section(u' ', 0, 0)), 10000);
}

QTEST_GUILESS_MAIN(DesktopModuleTest)
#include "desktop_module_test.moc"
