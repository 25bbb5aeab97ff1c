#pragma once
// What went wrong, in the one shape that readers, formats and tools tell it
// in: what failed, the file it concerns, the line where the file has lines,
// and what is wrong in plain words. A lower layer fills in what it knows (a
// format knows the line, its caller the file); the program or tool that
// called it decides what the fault costs and says it after its own name.
// A report that nothing failed holds no text, so returning one allocates
// nothing; text is made only for a failure.

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
    std::string file; // the file it concerns; empty where none is meant, or the text names it
    int line = 0;     // 1 is the first line; 0 where no line is meant
    // What is wrong: one line without the file's name, or a reader's message
    // box text word for word (which names its file); empty for a failure
    // that passes in silence.
    std::string text;

    bool failed() const { return failure != Failure::None; }
};

// "FILE:LINE: TEXT", "FILE: TEXT" without a line, "TEXT" without a file.
std::string reportLine(const Report& report);
