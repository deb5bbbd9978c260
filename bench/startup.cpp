// Start-up harness: runs each program of a pair many times, alternately, and
// compares the median wall time from fork to exit and the median peak
// resident memory with the pair's floor program, built beside it.
//
//   startup [--runs N] [--platform NAME]
//
// The pairs:
//   terminal game  tarnvale --text, standard input empty  vs a minimal QtCore program
//   game window    first paint of the game window         vs a minimal Qt Widgets window
//   program        tarnvale itself, to the first paint of its first window
//                  (the new-game dialog)                  vs a minimal Qt Widgets window
//
// A window program ends after its first paint: the harness preloads a small
// library that quits it then (quit_after_paint.cpp). The windows run on the
// Qt platform NAME (default offscreen). The exit status is 1 when a ratio
// misses its goal of 1.2.
#include "process.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct Sample {
    double ms;
    long maxRssKb;
};

struct Program {
    const char *name;
    std::vector<std::string> argv;
    const char *window = nullptr; // the class of the window whose first paint ends it
};

std::string g_platform = "offscreen";

Sample runOnce(const Program &p)
{
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid < 0) {
        std::perror("fork");
        std::exit(2);
    }
    if (pid == 0) {
        const int null = open("/dev/null", O_RDWR);
        dup2(null, STDIN_FILENO);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        if (p.window) {
            setenv("QT_QPA_PLATFORM", g_platform.c_str(), 1);
            setenv("LD_PRELOAD", QUIT_AFTER_PAINT, 1);
            setenv("TARNVALE_QUIT_AFTER_PAINT", p.window, 1);
        } else {
            unsetenv("QT_QPA_PLATFORM");
        }
        std::vector<char *> args;
        for (const std::string &a : p.argv)
            args.push_back(const_cast<char *>(a.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        std::fprintf(stderr, "cannot run %s: %s\n", args[0], std::strerror(errno));
        _exit(127);
    }
    rusage usage{};
    const int status = waitForChild(pid, usage);
    const auto end = std::chrono::steady_clock::now();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s failed (status %d); run %s by hand to see why\n", p.name, status,
                     p.argv[0].c_str());
        std::exit(2);
    }
    return {std::chrono::duration<double, std::milli>(end - start).count(), usage.ru_maxrss};
}

struct Result {
    double ms;
    double rssKb;
    double minMs;
    double maxMs;
};

// Runs the two programs alternately, the order swapped every round, after a
// few warm-up runs that fill the page cache.
std::pair<Result, Result> compare(const Program &a, const Program &b, int runs)
{
    for (int i = 0; i < 3; ++i) {
        runOnce(a);
        runOnce(b);
    }
    std::vector<double> ta, tb, ra, rb;
    for (int i = 0; i < runs; ++i) {
        Sample sa, sb;
        if (i % 2) {
            sb = runOnce(b);
            sa = runOnce(a);
        } else {
            sa = runOnce(a);
            sb = runOnce(b);
        }
        ta.push_back(sa.ms);
        tb.push_back(sb.ms);
        ra.push_back(double(sa.maxRssKb));
        rb.push_back(double(sb.maxRssKb));
    }
    const auto result = [](const std::vector<double> &t, const std::vector<double> &r) {
        return Result{median(t), median(r), *std::min_element(t.begin(), t.end()),
                      *std::max_element(t.begin(), t.end())};
    };
    return {result(ta, ra), result(tb, rb)};
}

constexpr double kGoal = 1.2;

void row(const char *name, const Result &r)
{
    std::printf("| %-34s | %8.2f | %6.2f .. %6.2f | %9.1f |\n", name, r.ms, r.minMs, r.maxMs,
                r.rssKb / 1024.0);
}

bool ratios(const char *what, const Result &program, const Result &floor)
{
    const double time = program.ms / floor.ms;
    const double memory = program.rssKb / floor.rssKb;
    std::printf("%s: start-up %.2f x, peak memory %.2f x the floor (goal: at most %.1f x): %s\n",
                what, time, memory, kGoal, time <= kGoal && memory <= kGoal ? "met" : "MISSED");
    return time <= kGoal && memory <= kGoal;
}

} // namespace

int main(int argc, char **argv)
{
    int runs = 31;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else if (std::strcmp(argv[i], "--platform") == 0 && i + 1 < argc)
            g_platform = argv[++i];
        else {
            std::fprintf(stderr, "usage: startup [--runs N] [--platform NAME]\n");
            return 2;
        }
    }

    const Program text{"tarnvale --text (empty input)", {TARNVALE_EXECUTABLE, "--text"}};
    const Program core{"minimal QtCore program", {MINIMAL_CORE}};
    const Program game{"game window, first paint", {FIRST_PAINT}, "tarnvale::ui::frmTargame"};
    const Program program{"tarnvale, first paint (dialog)", {TARNVALE_EXECUTABLE}, "tarnvale::ui::frmNew"};
    const Program widgets{"minimal Qt Widgets window", {MINIMAL_WIDGETS}, "QLabel"};

    std::printf("%d runs each, alternating; windows on the \"%s\" platform\n\n", runs,
                g_platform.c_str());
    const auto [textResult, coreResult] = compare(text, core, runs);
    const auto [gameResult, widgetsResult] = compare(game, widgets, runs);
    const auto [programResult, widgetsAgain] = compare(program, widgets, runs);

    std::printf("| %-34s | %8s | %16s | %9s |\n", "program", "median ms", "min .. max ms", "max RSS MB");
    std::printf("|%s|%s|%s|%s|\n", std::string(36, '-').c_str(), std::string(10, '-').c_str(),
                std::string(18, '-').c_str(), std::string(11, '-').c_str());
    row(text.name, textResult);
    row(core.name, coreResult);
    row(game.name, gameResult);
    row(widgets.name, widgetsResult);
    row(program.name, programResult);
    row("minimal Qt Widgets window (again)", widgetsAgain);
    std::printf("\n");
    bool met = ratios("terminal game", textResult, coreResult);
    met = ratios("game window", gameResult, widgetsResult) && met;
    met = ratios("program with windows", programResult, widgetsAgain) && met;
    return met ? 0 : 1;
}
