#pragma once
// Running another program of ours and waiting for it: a POSIX helper, no
// shell in between, so a file name is never read as a command. The child
// gets an empty standard input and the viewer's environment; what it writes
// to standard output and standard error is collected.

#include "assets/report.h"

#include <functional>
#include <string>
#include <vector>

struct ChildOutcome {
    Report notRun;           // Failure::Run, with why, when the program could not be run at all
    int exitStatus = -1;     // the status it ended with, or -1 when a signal ended it
    int signal = 0;          // the signal that ended it, or 0
    std::string output;      // everything it wrote to standard output
    std::string errorOutput; // everything it wrote to standard error
};

// Runs program with arguments (the program's own name first) and waits for it
// to end. whileWaiting is called after each second in which it wrote nothing.
ChildOutcome runChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                             const std::function<void()>& whileWaiting);
