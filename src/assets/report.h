#pragma once
// What went wrong, in the one shape that readers, formats and tools tell it
// in: the file it concerns, the line where the file has lines, and what is
// wrong in plain words. A lower layer fills in what it knows (a format knows
// the line, its caller the file); the program or tool that called it decides
// what the fault costs and says it after its own name.

#include <string>

struct Report {
    std::string file; // empty where no file is meant
    int line = 0;     // 1 is the first line; 0 where no line is meant
    std::string text; // what is wrong, on one line, without the file's name

    bool failed() const { return !text.empty(); }
};

// "FILE:LINE: TEXT", "FILE: TEXT" without a line, "TEXT" without a file.
std::string reportLine(const Report& report);
