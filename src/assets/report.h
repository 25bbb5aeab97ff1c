#pragma once
// What went wrong, in the one shape that readers, formats and tools tell it
// in: what failed, the file it concerns, the line where the file has lines,
// and what is wrong in plain words. A lower layer fills in what it knows (a
// format knows the line, its caller the file); the program or tool that
// called it decides what the fault costs and says it after its own name.
// Reports are made where something failed (start-up, a tool's set-up), never
// on the frame path.

#include <cstdint>
#include <string>

// What failed. Start-up weighs a picture that a mesh names apart from the
// mesh itself (the box's owner, what follows); the others say what failed
// for the reader of the code and fail alike.
enum class Failure : uint8_t {
    None,         // nothing failed
    Read,         // reading or decoding the file, or the text given
    NamedPicture, // a picture that the file names (a mesh's) could not be loaded
    Make,         // making what was asked for (an offscreen target)
    Write,        // writing the output
    Run,          // running another program: it could not be started
};

struct Report {
    Failure failure = Failure::None;
    std::string file; // empty where no file is meant, or the message names it itself
    int line = 0;     // 1 is the first line; 0 where no line is meant
    std::string text; // what is wrong, on one line; empty for a failure that passes in silence

    bool failed() const { return failure != Failure::None; }
};

// "FILE:LINE: TEXT", "FILE: TEXT" without a line, "TEXT" without a file.
std::string reportLine(const Report& report);
