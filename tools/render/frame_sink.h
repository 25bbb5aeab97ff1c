#pragma once
// What every output of a render does with its frames: a video file, or a
// folder of PNG frames. Pixels are RGB, 3 bytes each, rows packed, bottom row
// first (as glReadPixels gives them).
//
// Every output is written under a temporary name beside or inside OUT and
// moved to OUT only once complete: a render that fails or is stopped leaves
// nothing under OUT's name.

#include "assets/report.h"

#include <cstdint>
#include <string>

class FrameSink {
public:
    virtual ~FrameSink() = default;
    // Writes the next frame. False once anything could not be written.
    virtual bool write(const uint8_t* pixels) = 0;
    // Completes the output and moves it to OUT. False when that failed.
    virtual bool finish() = 0;
    // Removes what was written; nothing is left under OUT's name.
    virtual void discard() = 0;
    // The folder that holds the temporary output and OUT: all that the
    // render writes, renames and removes lies in it.
    virtual std::string folder() const = 0;
    // The first failure (Failure::Write), in plain words.
    const Report& problem() const { return firstFailure; }

protected:
    // Keeps the first failure only; false, for the caller to return.
    bool fail(const std::string& what)
    {
        if (!firstFailure.failed())
            firstFailure = {Failure::Write, {}, 0, what};
        return false;
    }
    Report firstFailure;
};
