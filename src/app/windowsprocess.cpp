#include "app/windowsprocess.h"

#include "app/desktopmodule.h"

#include <QByteArray>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tarnvale {

namespace {

// What the child writes on the pipe: one byte once the platform has started,
// or a byte and the reason when the module cannot be loaded. A pipe that
// closes with nothing on it means the child ended before either.
constexpr char kWindowsUp = 'u';
constexpr char kNotLoaded = 'n';

// A platform that has not started within this time is as good as none.
constexpr int kStartTimeoutMs = 15000;

volatile sig_atomic_t g_child = 0;
volatile sig_atomic_t g_endRequested = 0;

void passOn(int signal)
{
    g_endRequested = 1;
    if (g_child > 0)
        ::kill(pid_t(g_child), signal);
}

void writeAll(int fd, const char *data, size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        data += n;
        size -= size_t(n);
    }
}

// The child's side: runs the windows and never returns.
[[noreturn]] void runChild(int report, pid_t parent, int &argc, char **argv, GameSettings &settings,
                           const std::function<void()> &launchMusic)
{
    // The game does not outlive the process the player started.
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (::getppid() != parent)
        ::_exit(1);

    // Until the platform has started, standard error goes nowhere and a
    // crash leaves no core behind.
    const int savedStderr = ::fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 0);
    if (const int devNull = ::open("/dev/null", O_WRONLY | O_CLOEXEC); devNull >= 0) {
        ::dup2(devNull, STDERR_FILENO);
        ::close(devNull);
    }
    rlimit coreLimit{};
    ::getrlimit(RLIMIT_CORE, &coreLimit);
    const rlimit noCore{0, coreLimit.rlim_max};
    ::setrlimit(RLIMIT_CORE, &noCore);
    const auto restore = [&] {
        if (savedStderr >= 0) {
            ::dup2(savedStderr, STDERR_FILENO);
            ::close(savedStderr);
        }
        ::setrlimit(RLIMIT_CORE, &coreLimit);
    };

    const std::function<void()> windowsUp = [&] {
        restore();
        writeAll(report, &kWindowsUp, 1);
        ::close(report);
    };
    QString error;
    if (const std::optional<int> status = runDesktopModule(argc, argv, settings, launchMusic, windowsUp, error))
        std::exit(*status);
    restore();
    const QByteArray why = kNotLoaded + error.toUtf8();
    writeAll(report, why.constData(), size_t(why.size()));
    ::_exit(0);
}

// Reads what the child reports, waiting no longer than the platform may
// take to start: empty when the pipe closed without a word or the time ran
// out.
QByteArray readReport(int fd)
{
    QByteArray report;
    pollfd watch{fd, POLLIN, 0};
    while (true) {
        const int ready = ::poll(&watch, 1, report.isEmpty() ? kStartTimeoutMs : -1);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return {};
        char buffer[512];
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return report;
        report.append(buffer, n);
        if (report.front() == kWindowsUp)
            return report;
    }
}

int waitFor(pid_t child)
{
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR)
            return 1;
    }
    return status;
}

// Ends this process as the child ended: with its status, or by its signal
// (without a second core of its own).
[[noreturn]] void endAs(int status)
{
    if (WIFSIGNALED(status)) {
        const int signal = WTERMSIG(status);
        const rlimit noCore{0, 0};
        ::setrlimit(RLIMIT_CORE, &noCore);
        std::signal(signal, SIG_DFL);
        ::raise(signal);
        ::_exit(128 + signal);
    }
    std::exit(WIFEXITED(status) ? WEXITSTATUS(status) : 1);
}

// Without a child to watch, the windows just try in this process.
WindowsOutcome playHere(int &argc, char **argv, GameSettings &settings,
                        const std::function<void()> &launchMusic)
{
    WindowsOutcome outcome;
    if (const std::optional<int> status = runDesktopModule(argc, argv, settings, launchMusic, {}, outcome.error))
        outcome.status = *status;
    else
        outcome.kind = WindowsOutcome::Kind::NotLoaded;
    return outcome;
}

} // namespace

WindowsOutcome playInWindows(int &argc, char **argv, GameSettings &settings,
                             const std::function<void()> &launchMusic)
{
    int pipe[2];
    if (::pipe2(pipe, O_CLOEXEC) != 0)
        return playHere(argc, argv, settings, launchMusic);
    const pid_t parent = ::getpid();
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(pipe[0]);
        ::close(pipe[1]);
        return playHere(argc, argv, settings, launchMusic);
    }
    if (child == 0) {
        ::close(pipe[0]);
        runChild(pipe[1], parent, argc, argv, settings, launchMusic);
    }
    ::close(pipe[1]);

    // Ctrl+C reaches the child from the terminal by itself; a request to end
    // sent to this process is passed on to it.
    g_child = child;
    struct sigaction pass {};
    pass.sa_handler = passOn;
    sigemptyset(&pass.sa_mask);
    for (const int signal : {SIGTERM, SIGHUP})
        ::sigaction(signal, &pass, nullptr);
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    for (const int signal : {SIGINT, SIGQUIT})
        ::sigaction(signal, &ignore, nullptr);

    const QByteArray report = readReport(pipe[0]);
    ::close(pipe[0]);
    if (report.isEmpty()) {
        ::kill(child, SIGKILL);
        const int status = waitFor(child);
        // Asked to end while the windows were starting: no game in the terminal either.
        if (g_endRequested)
            endAs(status);
    } else if (report.front() == kWindowsUp) {
        endAs(waitFor(child));
    } else {
        waitFor(child);
    }
    g_child = 0;
    for (const int signal : {SIGTERM, SIGHUP, SIGINT, SIGQUIT})
        std::signal(signal, SIG_DFL);
    if (report.isEmpty())
        return {WindowsOutcome::Kind::CannotOpen, 0, {}};
    return {WindowsOutcome::Kind::NotLoaded, 0, QString::fromUtf8(report.mid(1))};
}

} // namespace tarnvale
