#include "app/protocolserver.h"

#include "engine/protocol.h"
#include "story/story.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <stdio.h>
#include <string>
#include <string_view>

namespace tarnvale {

int serveProtocol(std::FILE *in, std::FILE *out, std::FILE *err, const std::function<void()> &launchMusic)
{
    const auto now = [] {
        using namespace std::chrono;
        return Millis(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
    };
    Protocol protocol(tarnvaleStory(), launchMusic, now);
    char *line = nullptr;
    std::size_t capacity = 0;
    int status = 0;
    for (;;) {
        errno = 0;
        ssize_t got = getline(&line, &capacity, in);
        if (got < 0) {
            if (std::ferror(in)) {
                std::fprintf(err, "tarnvale: cannot read standard input: %s\n", std::strerror(errno ? errno : EIO));
                status = 1;
            }
            break;
        }
        std::string_view input(line, std::size_t(got));
        if (input.ends_with('\n'))
            input.remove_suffix(1);
        if (input.ends_with('\r'))
            input.remove_suffix(1);
        if (input.find_first_not_of(" \t") == std::string_view::npos)
            continue;   // a blank line asks nothing
        std::string answer = protocol.answer(input);
        answer += '\n';
        if (std::fwrite(answer.data(), 1, answer.size(), out) != answer.size() || std::fflush(out) != 0) {
            if (errno != EPIPE) {
                std::fprintf(err, "tarnvale: cannot write to standard output: %s\n", std::strerror(errno ? errno : EIO));
                status = 1;
            }
            break;
        }
    }
    std::free(line);
    return status;
}

} // namespace tarnvale
