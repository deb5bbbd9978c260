// The line-mode front-end on a line of ten megabytes: the JSON layout, which
// prints the line back as the last command, against the human layout, which
// does not. Both read, decode and play the same line; the difference is what
// producing the JSON costs. Each layout runs as the real program, its standard
// input a file with the line and its standard output /dev/null, alternately
// with the other after warm-up runs; the medians of wall time and of CPU time
// (user and system) are compared.
//
//   frontend_bench [--runs N]
//
// The exit status is 1 when JSON costs more than twice the human layout.
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
    double wallMs;
    double cpuMs;
};

Sample runOnce(const std::string &input, bool json)
{
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid < 0) {
        std::perror("fork");
        std::exit(2);
    }
    if (pid == 0) {
        const int in = open(input.c_str(), O_RDONLY);
        const int null = open("/dev/null", O_RDWR);
        if (in < 0 || null < 0)
            _exit(126);
        dup2(in, STDIN_FILENO);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        if (json)
            execl(TARNVALE_EXECUTABLE, TARNVALE_EXECUTABLE, "--text", "--json", nullptr);
        else
            execl(TARNVALE_EXECUTABLE, TARNVALE_EXECUTABLE, "--text", nullptr);
        _exit(127);
    }
    rusage usage{};
    const int status = waitForChild(pid, usage);
    const auto end = std::chrono::steady_clock::now();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "tarnvale --text failed (status %d) on %s\n", status, input.c_str());
        std::exit(2);
    }
    const auto ms = [](const timeval &t) { return double(t.tv_sec) * 1e3 + double(t.tv_usec) / 1e3; };
    return {std::chrono::duration<double, std::milli>(end - start).count(),
            ms(usage.ru_utime) + ms(usage.ru_stime)};
}

constexpr double kGoal = 2.0;
constexpr std::size_t kLineBytes = 10'000'000;

// A file holding one line of about ten megabytes of `unit`, then "осм урну".
std::string writeInput(const char *name, const std::string &unit)
{
    char path[] = "/tmp/tarnvale-frontend-bench-XXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0) {
        std::perror("mkstemp");
        std::exit(2);
    }
    std::string line;
    line.reserve(kLineBytes + 32);
    while (line.size() + unit.size() <= kLineBytes)
        line += unit;
    line += "\n\xd0\xbe\xd1\x81\xd0\xbc \xd1\x83\xd1\x80\xd0\xbd\xd1\x83\n";
    if (write(fd, line.data(), line.size()) != ssize_t(line.size())) {
        std::perror(name);
        std::exit(2);
    }
    close(fd);
    return path;
}

bool compare(const char *name, const std::string &input, int runs)
{
    for (int i = 0; i < 2; ++i) {
        runOnce(input, false);
        runOnce(input, true);
    }
    std::vector<double> humanWall, humanCpu, jsonWall, jsonCpu;
    for (int i = 0; i < runs; ++i) {
        const bool jsonFirst = i % 2;
        Sample a = runOnce(input, jsonFirst);
        Sample b = runOnce(input, !jsonFirst);
        const Sample &human = jsonFirst ? b : a;
        const Sample &json = jsonFirst ? a : b;
        humanWall.push_back(human.wallMs);
        humanCpu.push_back(human.cpuMs);
        jsonWall.push_back(json.wallMs);
        jsonCpu.push_back(json.cpuMs);
    }
    const double hw = median(humanWall), hc = median(humanCpu);
    const double jw = median(jsonWall), jc = median(jsonCpu);
    const bool met = jw / hw <= kGoal;
    std::printf("| %-26s | %8.1f | %8.1f | %8.1f | %8.1f | %5.2f x | %5.2f x | %s |\n", name, hw, jw, hc,
                jc, jw / hw, jc / hc, met ? "met" : "MISSED");
    return met;
}

} // namespace

int main(int argc, char **argv)
{
    int runs = 11;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc) {
            runs = std::max(1, std::atoi(argv[++i]));
        } else {
            std::fprintf(stderr, "usage: frontend_bench [--runs N]\n");
            return 2;
        }
    }
    const std::string latin = writeInput("latin", "z");
    const std::string cyrillic = writeInput("cyrillic", "\xd0\xb6");                 // ж
    const std::string mixed = writeInput("mixed", "\xd0\xbe\xd1\x81\xd0\xbc \"x\"\\\t\xf0\x9f\x98\x80");

    std::printf("%d runs each, alternating; goal: JSON at most %.1f x the human layout's wall time\n\n",
                runs, kGoal);
    std::printf("| %-26s | %8s | %8s | %8s | %8s | %7s | %7s | %s |\n", "10 MB line of", "human ms",
                "JSON ms", "human cpu", "JSON cpu", "wall", "cpu", "goal");
    std::printf("|----------------------------|----------|----------|-----------|----------|---------|---------|------|\n");
    bool met = compare("z (ASCII)", latin, runs);
    met = compare("Cyrillic (ж)", cyrillic, runs) && met;
    met = compare("mixed (осм \"x\"\\ tab 😀)", mixed, runs) && met;
    unlink(latin.c_str());
    unlink(cyrillic.c_str());
    unlink(mixed.c_str());
    return met ? 0 : 1;
}
