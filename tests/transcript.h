#pragma once

#include <string>
#include <vector>

namespace tarnvale::test {

// Runs one transcript file (see transcripts/README.md) in every mode it asks
// for. Returns the failures, one line each; empty when it passed.
std::vector<std::string> runTranscript(const std::string &path);

} // namespace tarnvale::test
