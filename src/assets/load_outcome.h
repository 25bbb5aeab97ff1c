#pragma once
// What a reader or texture maker tells start-up about one file: whether it
// was read, and the text of the message box it gets. Readers never show a box
// nor end the process; start-up shows the text and takes what follows from
// the data-file table.

#include <cstdint>

enum class LoadResult : uint8_t {
    Loaded,        // read (a height map or picture cut short still counts)
    Failed,        // not read, or read only up to a fault
    PictureFailed, // a picture that the file names could not be loaded; meshes only
};

constexpr int kLoadMessageBytes = 256;

struct LoadReport {
    LoadResult result = LoadResult::Loaded;
    char message[kLoadMessageBytes] = {}; // the box's text; empty for a failure that passes in silence

    bool failed() const { return result != LoadResult::Loaded; }
};

// A failure with the text (nullptr: none), cut to fit.
LoadReport loadFailure(const char* message, LoadResult result = LoadResult::Failed);

// What start-up decides on a report: go on, or end the process at once.
enum class LoadOutcome : uint8_t { Continue, EndProcess };
