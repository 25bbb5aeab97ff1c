#include "formats/walk_format.h"

#include "formats/number_text.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr std::string_view kWalkMagic = "lumora-walk";

void appendNumber(std::string& text, float value)
{
    char digits[32];
    const auto [end, error] = std::to_chars(digits, digits + sizeof digits, value);
    text.append(digits, error == std::errc() ? end : digits);
}

// The line's words, split at spaces and tabs; false for more than fit.
template <int N>
bool splitWords(std::string_view line, std::string_view (&words)[N], int& count)
{
    count = 0;
    size_t at = 0;
    while (at < line.size()) {
        const size_t start = line.find_first_not_of(" \t", at);
        if (start == std::string_view::npos)
            break;
        const size_t end = std::min(line.find_first_of(" \t", start), line.size());
        if (count == N)
            return false;
        words[count++] = line.substr(start, end - start);
        at = end;
    }
    return true;
}

bool parseFloat(std::string_view word, float& value) { return parseNumberText(word, value) && std::isfinite(value); }

bool parseState(std::string_view word, bool& state)
{
    if (word != "0" && word != "1")
        return false;
    state = word == "1";
    return true;
}

// A word of the file in double quotes, built from the front so the text
// after it is appended, never inserted before it.
std::string quoted(std::string_view word)
{
    std::string text(1, '"');
    text.append(word);
    text += '"';
    return text;
}

bool fail(Report& problem, int line, std::string text)
{
    problem = {Failure::Read, {}, line, std::move(text)};
    return false;
}

bool parseHeader(std::string_view line, int& frameCount, Report& problem)
{
    std::string_view words[4];
    int count = 0;
    if (!splitWords(line, words, count) || count != 3 || words[0] != kWalkMagic)
        return fail(problem, 1, "not a walk: the first line is not \"lumora-walk VERSION FRAMES\"");
    int version = 0;
    if (!parseNumberText(words[1], version) || version != kWalkFormatVersion)
        return fail(problem, 1,
                    "walk format version " + std::string(words[1]) + "; this program reads version " +
                        std::to_string(kWalkFormatVersion));
    if (!parseNumberText(words[2], frameCount) || frameCount < 1 || frameCount > kWalkFrameCapacity)
        return fail(problem, 1,
                    "the frame count " + std::string(words[2]) + " is not a whole number from 1 to " +
                        std::to_string(kWalkFrameCapacity));
    return true;
}

bool parseFrame(std::string_view line, int lineNumber, WalkFrame& frame, Report& problem)
{
    std::string_view words[kWalkNumbersPerLine];
    int count = 0;
    if (!splitWords(line, words, count) || count != kWalkNumbersPerLine)
        return fail(problem, lineNumber, "a frame is 10 numbers apart by spaces");
    float* numbers[7] = {&frame.time,     &frame.eye.x,    &frame.eye.y,   &frame.eye.z,
                         &frame.lookAt.x, &frame.lookAt.y, &frame.lookAt.z};
    for (int i = 0; i < 7; ++i) {
        if (!parseFloat(words[i], *numbers[i]))
            return fail(problem, lineNumber, quoted(words[i]) + " is not a finite number");
    }
    bool* states[3] = {&frame.crouching, &frame.zoomed, &frame.wireframe};
    for (int i = 0; i < 3; ++i) {
        if (!parseState(words[7 + i], *states[i]))
            return fail(problem, lineNumber, "crouch, zoom and wireframe are 0 or 1, not " + quoted(words[7 + i]));
    }
    const float dx = frame.lookAt.x - frame.eye.x;
    const float dz = frame.lookAt.z - frame.eye.z;
    if (dx == 0 && dz == 0)
        return fail(problem, lineNumber,
                    frame.lookAt.y == frame.eye.y ? "the eye looks at itself" : "the eye looks straight up or down");
    return true;
}

} // namespace

std::string formatWalk(const WalkFrame* frames, int count)
{
    std::string text =
        std::string(kWalkMagic) + " " + std::to_string(kWalkFormatVersion) + " " + std::to_string(count) + "\n";
    text.reserve(text.size() + static_cast<size_t>(count) * 80);
    for (int i = 0; i < count; ++i) {
        const WalkFrame& frame = frames[i];
        const float numbers[7] = {frame.time,     frame.eye.x,    frame.eye.y,   frame.eye.z,
                                  frame.lookAt.x, frame.lookAt.y, frame.lookAt.z};
        for (const float number : numbers) {
            appendNumber(text, number);
            text += ' ';
        }
        text += frame.crouching ? "1 " : "0 ";
        text += frame.zoomed ? "1 " : "0 ";
        text += frame.wireframe ? "1\n" : "0\n";
    }
    return text;
}

bool parseWalk(std::string_view text, std::vector<WalkFrame>& frames, Report& problem)
{
    frames.clear();
    int frameCount = 0;
    int lineNumber = 0;
    while (!text.empty()) {
        ++lineNumber;
        const size_t end = text.find('\n');
        if (end == std::string_view::npos)
            return fail(problem, lineNumber, "the line ends without a line feed: the file is cut short");
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);

        if (lineNumber == 1) {
            if (!parseHeader(line, frameCount, problem))
                return false;
            frames.reserve(static_cast<size_t>(frameCount));
            continue;
        }
        if (static_cast<int>(frames.size()) == frameCount)
            return fail(problem, lineNumber,
                        "more frames than the " + std::to_string(frameCount) + " the first line says");
        WalkFrame frame{};
        if (!parseFrame(line, lineNumber, frame, problem))
            return false;
        if (!frames.empty() && frame.time < frames.back().time)
            return fail(problem, lineNumber, "the time goes back");
        frames.push_back(frame);
    }
    if (lineNumber == 0)
        return fail(problem, 1, "not a walk: the file is empty");
    if (static_cast<int>(frames.size()) < frameCount)
        return fail(problem, lineNumber + 1,
                    "the walk ends after " + std::to_string(frames.size()) + " of its " + std::to_string(frameCount) +
                        " frames: the file is cut short");
    return true;
}
