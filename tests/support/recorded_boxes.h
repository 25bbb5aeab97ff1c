#pragma once
// Message boxes answered by the test instead of a person. While recording,
// every box shown is kept, title and text, oldest first, and answered OK, so
// a test can check what was said and the code goes on as after a click.

#include "platform/platform.h"

#include <string>
#include <vector>

struct RecordedBox {
    std::string title;
    std::string text;
};

inline std::vector<RecordedBox> recordedBoxes;

inline platform::MessageBoxAnswer recordBoxAnsweringOk(const void*, const char* text, const char* title,
                                                       platform::MessageBoxKind)
{
    recordedBoxes.push_back({title, text});
    return platform::MessageBoxAnswer::Ok;
}

// Forgets the boxes recorded so far and records those shown from now on.
inline void recordMessageBoxes()
{
    recordedBoxes.clear();
    platform::setMessageBoxHook(recordBoxAnsweringOk);
}

// Boxes are shown by the platform again.
inline void stopRecordingMessageBoxes() { platform::setMessageBoxHook(nullptr); }

// Each recorded box as "Title: text", to compare a whole sequence at once.
inline std::vector<std::string> recordedBoxLines()
{
    std::vector<std::string> lines;
    for (const RecordedBox& box : recordedBoxes)
        lines.push_back(box.title + ": " + box.text);
    return lines;
}
