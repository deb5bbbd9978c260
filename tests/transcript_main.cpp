// Runs the transcript files named on the command line.
#include "transcript.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

int main(int argc, char **argv)
{
    QStringList failures;
    int files = 0;
    for (int i = 1; i < argc; ++i) {
        failures << tarnvale::test::runTranscript(QString::fromLocal8Bit(argv[i]));
        ++files;
    }
    for (const QString &f : failures)
        std::fprintf(stderr, "%s\n", f.toUtf8().constData());
    std::printf("%d transcript(s), %d failure(s)\n", files, int(failures.size()));
    return failures.isEmpty() && files > 0 ? 0 : 1;
}
