#include "app/windowsprocess.h"

#include "app/desktopmodule.h"

#include <QByteArray>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <fcntl.h>
#include <limits.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>

extern char **environ;

namespace tarnvale {

namespace {

// Set in the program's environment when it starts again after the windows
// failed to start; its value is the soft core-size limit to restore.
constexpr char kFailedVariable[] = "TARNVALE_WINDOWS_FAILED";

// A platform that has not started within this time is as good as none.
constexpr unsigned kStartTimeoutSeconds = 15;

// The signals by which the windows can fail before they are up: Qt aborts
// when it cannot reach the display or start the platform, and a crash of the
// platform's libraries is no better.
const int kFailureSignals[] = {SIGABRT, SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGALRM};

// What starting the program again needs, made before Qt runs: a signal
// handler may only call what is safe there.
struct Restart {
    std::string program;   // the executable's own path, so that it keeps its name
    std::vector<char *> argv;
    std::vector<char *> envp;
    std::string failedEntry;
    int savedStderr = -1;
} g_restart;

extern "C" void startAgainWithoutWindows(int)
{
    // Only async-signal-safe calls here.
    if (g_restart.savedStderr >= 0)
        ::dup2(g_restart.savedStderr, STDERR_FILENO);
    ::execve(g_restart.program.c_str(), g_restart.argv.data(), g_restart.envp.data());
    ::execve("/proc/self/exe", g_restart.argv.data(), g_restart.envp.data());
    ::_exit(1);
}

void prepareRestart(char **argv, rlim_t coreLimit)
{
    // The path the kernel names the process after (a program started as
    // /proc/self/exe would be called "exe" in ps and pgrep).
    char path[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    g_restart.program = length > 0 ? std::string(path, std::size_t(length)) : std::string("/proc/self/exe");
    for (char **a = argv; *a != nullptr; ++a)
        g_restart.argv.push_back(*a);
    g_restart.argv.push_back(nullptr);
    g_restart.failedEntry = std::string(kFailedVariable) + '=' + std::to_string(coreLimit);
    for (char **e = environ; *e != nullptr; ++e)
        g_restart.envp.push_back(*e);
    g_restart.envp.push_back(g_restart.failedEntry.data());
    g_restart.envp.push_back(nullptr);
}

} // namespace

bool windowsFailedBefore()
{
    const char *value = std::getenv(kFailedVariable);
    if (value == nullptr)
        return false;
    // What the failed start left behind survives the restart: the watchdog's
    // alarm and the blocked signal that the restart was made from. The game
    // in the terminal sets no timer of its own and wants every signal.
    ::alarm(0);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    for (const int signal : kFailureSignals)
        std::signal(signal, SIG_DFL);
    // Started again through /proc/self/exe (the program's file was replaced
    // meanwhile), the process would be called "exe".
    char name[16] = {};
    if (::prctl(PR_GET_NAME, name, 0, 0, 0) == 0 && std::strcmp(name, "exe") == 0)
        ::prctl(PR_SET_NAME, "tarnvale", 0, 0, 0);
    // The core-size limit as the player had it.
    rlimit limit{};
    ::getrlimit(RLIMIT_CORE, &limit);
    char *end = nullptr;
    const unsigned long long soft = std::strtoull(value, &end, 10);
    if (end != value && *end == '\0')
        limit.rlim_cur = std::min<rlim_t>(rlim_t(soft), limit.rlim_max);
    ::setrlimit(RLIMIT_CORE, &limit);
    ::unsetenv(kFailedVariable);
    return true;
}

WindowsOutcome playInWindows(int &argc, char **argv, GameSettings &settings,
                             const std::function<void()> &launchMusic)
{
    // Until the platform has started, standard error goes nowhere, a failure
    // leaves no core behind and starts the program again to play in the
    // terminal, and so does a platform that takes too long.
    rlimit coreLimit{};
    ::getrlimit(RLIMIT_CORE, &coreLimit);
    prepareRestart(argv, coreLimit.rlim_cur);
    g_restart.savedStderr = ::fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 0);
    if (const int devNull = ::open("/dev/null", O_WRONLY | O_CLOEXEC); devNull >= 0) {
        ::dup2(devNull, STDERR_FILENO);
        ::close(devNull);
    }
    const rlimit noCore{0, coreLimit.rlim_max};
    ::setrlimit(RLIMIT_CORE, &noCore);
    struct sigaction restart {};
    restart.sa_handler = startAgainWithoutWindows;
    sigemptyset(&restart.sa_mask);
    restart.sa_flags = SA_RESETHAND;
    for (const int signal : kFailureSignals)
        ::sigaction(signal, &restart, nullptr);
    ::alarm(kStartTimeoutSeconds);

    bool up = false;
    const auto windowsAreUp = [&] {
        // From here on the windows are the game: failures are theirs to say.
        ::alarm(0);
        for (const int signal : kFailureSignals)
            std::signal(signal, SIG_DFL);
        if (g_restart.savedStderr >= 0) {
            ::dup2(g_restart.savedStderr, STDERR_FILENO);
            ::close(g_restart.savedStderr);
            g_restart.savedStderr = -1;
        }
        ::setrlimit(RLIMIT_CORE, &coreLimit);
        up = true;
    };
    const std::function<void()> windowsUp = windowsAreUp;

    WindowsOutcome outcome;
    if (const std::optional<int> status = runDesktopModule(argc, argv, settings, launchMusic, windowsUp, outcome.error)) {
        outcome.status = *status;
        return outcome;
    }
    // The module could not be loaded: nothing of Qt has run.
    if (!up)
        windowsAreUp();
    outcome.kind = WindowsOutcome::Kind::NotLoaded;
    return outcome;
}

} // namespace tarnvale
