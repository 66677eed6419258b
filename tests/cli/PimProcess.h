// Runs the `pim` program the way a user does, and reads back what it did.
#pragma once

#include <string>
#include <vector>

namespace pim::test {

struct TPimResult {
    int exitCode = -1;
    std::string out;  // stdout
    std::string err;  // stderr
    long peakKiB = 0;  // the most memory the process held (its maximum resident set)
};

// Runs pim with the arguments (UTF-8) in the C.UTF-8 locale, stdout and
// stderr going to files (so progress comes as plain lines).
TPimResult RunPim(const std::vector<std::string>& args);
// Runs pim and sends it `signal` (Ctrl-C's SIGINT by default) once its
// stderr holds `when` (by default: once its first progress line appears).
TPimResult RunPimAndInterrupt(const std::vector<std::string>& args, int signal = 2, const std::string& when = "\n");

}  // namespace pim::test
