#include "app/desktopmodule.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLibrary>
#include <QStringList>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace tarnvale {

using namespace Qt::Literals::StringLiterals;

namespace {
// The probe's exit status when it finds no module to ask.
constexpr int kNoModule = 3;
} // namespace

QStringList desktopModuleCandidates()
{
    // The executable's own directory, as the system reports it.
    QString exe = QFile::symLinkTarget(u"/proc/self/exe"_s);
    if (exe.isEmpty())
        exe = QFileInfo(u"/proc/self/exe"_s).canonicalFilePath();
    const QDir dir = QFileInfo(exe).absoluteDir();
    const QString name = QStringLiteral(TARNVALE_DESKTOP_MODULE_NAME);
    return {dir.filePath(name),
            QDir::cleanPath(dir.filePath(QStringLiteral(TARNVALE_DESKTOP_MODULE_DIR) + u'/' + name))};
}

std::optional<int> runDesktopModule(int &argc, char **argv, GameSettings &settings,
                                    const std::function<void()> &launchMusic, QString &error)
{
    QStringList problems;
    for (const QString &path : desktopModuleCandidates()) {
        if (!QFileInfo::exists(path))
            continue;
        QLibrary module(path);
        // The module stays loaded until the program ends.
        module.setLoadHints(QLibrary::PreventUnloadHint);
        const auto entry = reinterpret_cast<DesktopEntry>(module.resolve(kDesktopEntry));
        if (entry)
            return entry(&argc, argv, &settings, &launchMusic);
        problems << module.errorString();
    }
    error = problems.isEmpty() ? u"no "_s + QStringLiteral(TARNVALE_DESKTOP_MODULE_NAME) + u" found"_s
                               : problems.join(u"; "_s);
    return std::nullopt;
}

namespace {

// The child's side of windowsCanOpen: never returns.
[[noreturn]] void probeInChild(int argc, char **argv)
{
    // Qt's complaints about the display are the child's business, and an
    // abort leaves no core behind.
    if (const int devNull = ::open("/dev/null", O_WRONLY); devNull >= 0) {
        ::dup2(devNull, STDERR_FILENO);
        ::dup2(devNull, STDOUT_FILENO);
        ::close(devNull);
    }
    const rlimit noCore{0, 0};
    ::setrlimit(RLIMIT_CORE, &noCore);
    for (const QString &path : desktopModuleCandidates()) {
        if (!QFileInfo::exists(path))
            continue;
        QLibrary module(path);
        if (const auto probe = reinterpret_cast<DesktopProbe>(module.resolve(kDesktopProbe)))
            ::_exit(probe(&argc, argv));
    }
    ::_exit(kNoModule);
}

} // namespace

bool windowsCanOpen(int argc, char **argv)
{
    const pid_t child = ::fork();
    if (child < 0)
        return true;   // no way to ask: let the windows try
    if (child == 0)
        probeInChild(argc, argv);

    // A display that takes long to answer is as good as none.
    using namespace std::chrono_literals;
    const auto deadline = std::chrono::steady_clock::now() + 15s;
    int status = 0;
    while (true) {
        const pid_t done = ::waitpid(child, &status, WNOHANG);
        if (done == child)
            break;
        if (done < 0)
            return true;
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
            return false;
        }
        std::this_thread::sleep_for(5ms);
    }
    return WIFEXITED(status) && (WEXITSTATUS(status) == 0 || WEXITSTATUS(status) == kNoModule);
}

} // namespace tarnvale
