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

using namespace Qt::Literals::StringLiterals;

class DesktopModuleTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void terminalGameLoadsNoGuiLibrary();
    void moduleOffersItsEntry();
    void withoutTheModuleThePlayGoesOnInTheTerminal();
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

QTEST_GUILESS_MAIN(DesktopModuleTest)
#include "desktop_module_test.moc"
