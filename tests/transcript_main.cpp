// Runs the transcript files named on the command line.
#include "transcript.h"

#include <cstdio>

int main(int argc, char **argv)
{
    std::vector<std::string> failures;
    int files = 0;
    for (int i = 1; i < argc; ++i) {
        const std::vector<std::string> found = tarnvale::test::runTranscript(argv[i]);
        failures.insert(failures.end(), found.begin(), found.end());
        ++files;
    }
    for (const std::string &f : failures)
        std::fprintf(stderr, "%s\n", f.c_str());
    std::printf("%d transcript(s), %d failure(s)\n", files, int(failures.size()));
    return failures.empty() && files > 0 ? 0 : 1;
}
