#pragma once

#include <QString>
#include <QStringList>

namespace tarnvale::test {

// Runs one transcript file (see transcripts/README.md) in every mode it asks
// for. Returns the failures, one line each; empty when it passed.
QStringList runTranscript(const QString &path);

} // namespace tarnvale::test
