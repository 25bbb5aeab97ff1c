#pragma once
// What a reader or texture maker tells start-up about one file, and what
// start-up decides on it. A reader returns a Report whose text is the message
// box's, which names the file itself; readers never
// show a box nor end the process. Start-up shows the text and takes what
// follows from the data-file table. A picture cut short still counts as read.

#include "assets/report.h"

// A box's text is cut to fit this many bytes with its terminator.
constexpr int kLoadMessageBytes = 256;

// A failure with the box's text (nullptr: none, a failure that passes in
// silence), cut to fit.
Report loadFailure(const char* message, Failure failure = Failure::Read);

// What start-up decides on a report: go on, or end the process at once.
enum class LoadOutcome : uint8_t { Continue, EndProcess };
