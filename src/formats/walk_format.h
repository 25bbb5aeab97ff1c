#pragma once
// The walk file (.walk), plain text that F9 writes and lumora-render reads.
// The first line names the format, its version and the number of frames; each
// line after it holds one frame, ten numbers apart by spaces:
//
//   lumora-walk 1 3
//   0 500 30.61 500 501 30.61 500 0 0 0
//   0.016 500.19 30.62 500 501.19 30.62 500 0 0 0
//   0.033 500.39 30.63 500 501.39 30.63 500 0 1 0
//
// time (seconds, never decreasing), the eye x y z, the point looked at x y z
// (world units), then crouching, zoomed and wireframe as 0 or 1. Numbers are
// written in the fewest digits that read back as the same float. Every line
// ends with a line feed, the last one too, so a file cut short is found.

#include "assets/report.h"
#include "view/walk.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

constexpr int kWalkFormatVersion = 1;
constexpr int kWalkNumbersPerLine = 10;

// The longest frame line written: seven numbers of at most 15 characters
// ("-1.00058055e-36") and their spaces, three states, the line feed and a
// carriage return that an editor may have added. A walk file larger than the
// longest walk the viewer records is refused before it is read.
constexpr size_t kWalkLineMostBytes = 7 * (15 + 1) + 6 + 1;
constexpr size_t kWalkFileMostBytes = 64 + size_t(kWalkFrameCapacity) * kWalkLineMostBytes;

// The whole file for count frames.
std::string formatWalk(const WalkFrame* frames, int count);

// Reads a whole walk file. Returns false, with the first line that is wrong
// and what is wrong with it (the file is the caller's to name), for anything
// that is not a complete walk: another format or version, a line that is not
// ten finite numbers with states of 0 or 1, a time that goes back, an eye
// that looks at itself or straight up or down, fewer or more frames than the
// first line says (at most kWalkFrameCapacity).
bool parseWalk(std::string_view text, std::vector<WalkFrame>& frames, Report& problem);
