#include "view/walk.h"

#include "assets/file_bytes.h"
#include "formats/walk_format.h"
#include "view/walk_path.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

WalkFrame frameAt(float time, Vector3 eye, bool crouching = false, bool zoomed = false, bool wireframe = false)
{
    return {time, eye, {eye.x + 1, eye.y, eye.z}, crouching, zoomed, wireframe};
}

TEST(WalkRecording, TakesAnHourAt60FramesASecondAndNotOneFrameMore)
{
    WalkRecording walk;
    walk.start();
    ASSERT_EQ(walk.capacity, kWalkFrameCapacity);
    for (int i = 0; i < kWalkFrameCapacity; ++i)
        ASSERT_TRUE(walk.record({0, {1, 2, 3}, {2, 2, 3}, false, false, false}, 1.0f / 60)) << "frame " << i;
    EXPECT_FALSE(walk.record({0, {9, 9, 9}, {8, 9, 9}, true, true, true}, 1.0f / 60));
    EXPECT_EQ(walk.count, kWalkFrameCapacity);
    // 215,999 deltas after the first frame, summed without drift.
    EXPECT_NEAR(walk.frames[kWalkFrameCapacity - 1].time, 3600 - 1.0 / 60, 0.001);
    EXPECT_EQ(walk.frames[kWalkFrameCapacity - 1].eye.x, 1);
}

TEST(WalkRecording, TimesFromTheFirstFrame)
{
    WalkRecording walk;
    walk.start(4);
    for (const float delta : {7.0f, 0.5f, 0.25f})
        walk.record({0, {1, 2, 3}, {2, 2, 3}, false, false, false}, delta);
    ASSERT_EQ(walk.count, 3);
    EXPECT_EQ(walk.frames[0].time, 0);
    EXPECT_EQ(walk.frames[1].time, 0.5f);
    EXPECT_EQ(walk.frames[2].time, 0.75f);
    walk.stop();
    EXPECT_FALSE(walk.active());
    EXPECT_FALSE(walk.record({0, {1, 2, 3}, {2, 2, 3}, false, false, false}, 1));
}

TEST(WalkFormat, ReadsBackExactlyWhatItWrote)
{
    const std::vector<WalkFrame> walk = {
        {0, {500, 30.6100006f, 500}, {501, 30.6100006f, 500}, false, false, false},
        {0.0166666675f, {500.199982f, 30.62f, 499.999969f}, {501.199982f, 31.1f, 499.9f}, true, false, false},
        {1e-7f, {-0.1f, 1e-30f, 1032}, {3e38f, -7, 0.333333343f}, false, true, false},
        {3599.98339f, {1024, 255.7f, 0}, {1023.00006f, 255.2f, 1}, true, true, true},
    };
    // A time that goes back is refused; sort the third frame's in.
    std::vector<WalkFrame> sorted = walk;
    sorted[2].time = 0.0166666675f;
    const std::string text = formatWalk(sorted.data(), static_cast<int>(sorted.size()));
    EXPECT_EQ(text.substr(0, text.find('\n')), "lumora-walk 1 4");
    std::vector<WalkFrame> read;
    Report problem;
    ASSERT_TRUE(parseWalk(text, read, problem)) << problem.line << ": " << problem.text;
    ASSERT_EQ(read.size(), sorted.size());
    for (size_t i = 0; i < read.size(); ++i) {
        SCOPED_TRACE(i);
        const WalkFrame& a = sorted[i];
        const WalkFrame& b = read[i];
        const float written[] = {a.time, a.eye.x, a.eye.y, a.eye.z, a.lookAt.x, a.lookAt.y, a.lookAt.z};
        const float readBack[] = {b.time, b.eye.x, b.eye.y, b.eye.z, b.lookAt.x, b.lookAt.y, b.lookAt.z};
        for (int n = 0; n < 7; ++n)
            EXPECT_EQ(readBack[n], written[n]) << "number " << n;
        EXPECT_EQ(b.crouching, a.crouching);
        EXPECT_EQ(b.zoomed, a.zoomed);
        EXPECT_EQ(b.wireframe, a.wireframe);
    }
}

TEST(WalkFormat, NamesTheFirstLineThatIsWrong)
{
    const std::string good = "0 500 30 500 501 30 500 0 0 0\n";
    const struct {
        std::string text;
        int line;
        const char* problem; // a part of the message
    } cases[] = {
        {"", 1, "the file is empty"},
        {"lumora-path 1 1\n" + good, 1, "not a walk"},
        {"lumora-walk 1\n" + good, 1, "not a walk"},
        {"lumora-walk 2 1\n" + good, 1, "version 2; this program reads version 1"},
        {"lumora-walk 1 0\n", 1, "frame count 0"},
        {"lumora-walk 1 -3\n" + good, 1, "frame count -3"},
        {"lumora-walk 1 216001\n" + good, 1, "from 1 to 216000"},
        {"lumora-walk 1 2x\n" + good, 1, "frame count 2x"},
        {"lumora-walk 1 2\n" + good + "0.1 500 30 500 501 30 500 0 0\n", 3, "10 numbers"},
        {"lumora-walk 1 2\n" + good + "0.1 500 30 500 501 30 500 0 0 0 0\n", 3, "10 numbers"},
        {"lumora-walk 1 2\n" + good + "\n", 3, "10 numbers"},
        {"lumora-walk 1 2\n0.1 500 30,5 500 501 30 500 0 0 0\n" + good, 2, "\"30,5\" is not a finite number"},
        {"lumora-walk 1 2\n" + good + "0.1 nan 30 500 501 30 500 0 0 0\n", 3, "\"nan\" is not a finite number"},
        {"lumora-walk 1 2\n" + good + "0.1 500 1e39 500 501 30 500 0 0 0\n", 3, "\"1e39\" is not a finite number"},
        {"lumora-walk 1 2\n" + good + "0.1 500 30 500 501 30 500 0 2 0\n", 3, "0 or 1, not \"2\""},
        {"lumora-walk 1 2\n" + good + "0.1 500 30 500 501 30 500 0 0 yes\n", 3, "0 or 1, not \"yes\""},
        {"lumora-walk 1 3\n0.2 500 30 500 501 30 500 0 0 0\n" + good + good, 3, "the time goes back"},
        {"lumora-walk 1 2\n" + good + "0.1 500 30 500 500 30 500 0 0 0\n", 3, "looks at itself"},
        {"lumora-walk 1 2\n" + good + "0.1 500 30 500 500 31 500 0 0 0\n", 3, "straight up or down"},
        {"lumora-walk 1 3\n" + good + good, 4, "ends after 2 of its 3 frames"},
        {"lumora-walk 1 2\n" + good + "0 500 30 500 501 30 5", 3, "cut short"},
        {"lumora-walk 1 1\n" + good + good, 3, "more frames than the 1 the first line says"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        std::vector<WalkFrame> frames;
        Report problem;
        EXPECT_FALSE(parseWalk(c.text, frames, problem));
        EXPECT_EQ(problem.line, c.line);
        EXPECT_NE(problem.text.find(c.problem), std::string::npos) << problem.text;
    }
}

// The longest numbers a frame can hold, and a carriage return an editor
// adds, fill the line's bound exactly.
TEST(WalkFormat, TheLongestFrameFitsTheLineBound)
{
    const float longest = -1.00058055e-36f; // nine digits and a two-digit exponent
    const WalkFrame frame{longest, {longest, longest, longest}, {longest, longest, longest}, true, true, true};
    const std::string text = formatWalk(&frame, 1);
    ASSERT_EQ(text.substr(text.find('\n') + 1, 16), "-1.00058055e-36 ");
    const size_t line = text.size() - text.find('\n') - 1; // with its line feed
    EXPECT_EQ(line + 1, kWalkLineMostBytes);               // and a carriage return
}

// A walk is read from a regular file no larger than the longest walk the
// viewer records: a pipe, a device or a folder is refused without waiting,
// a larger file by its size, before a byte of it is read.
TEST(WalkFile, PipesDevicesFoldersAndOverlongFilesAreRefusedUnread)
{
    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() / ("walk-file-" + std::to_string(getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    ASSERT_EQ(mkfifo((folder / "pipe.walk").c_str(), 0600), 0);
    const std::string good = "lumora-walk 1 1\n0 500 30 500 501 30 500 0 0 0\n";
    std::ofstream(folder / "good.walk") << good;
    std::ofstream(folder / "huge.walk") << good;
    fs::resize_file(folder / "huge.walk", kWalkFileMostBytes + 1);
    std::ofstream(folder / "longest.walk") << good;
    fs::resize_file(folder / "longest.walk", kWalkFileMostBytes);
    const struct {
        fs::path file;
        FileRead result;
        size_t bytes;
    } cases[] = {
        {folder / "good.walk", FileRead::Read, good.size()},
        {folder / "longest.walk", FileRead::Read, kWalkFileMostBytes},
        {folder / "huge.walk", FileRead::TooLarge, 0},
        {folder / "pipe.walk", FileRead::NotRegular, 0},
        {"/dev/zero", FileRead::NotRegular, 0},
        {folder, FileRead::NotRegular, 0},
        {folder / "missing.walk", FileRead::CannotOpen, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        std::vector<uint8_t> bytes;
        EXPECT_EQ(readRegularFile(c.file.c_str(), kWalkFileMostBytes, bytes), c.result);
        EXPECT_EQ(bytes.size(), c.bytes);
    }
    fs::remove_all(folder);
}

TEST(WalkPath, PassesThroughEveryFrameWithItsStates)
{
    const std::vector<WalkFrame> walk = {
        frameAt(10, {0, 5, 0}),
        frameAt(10.5f, {6, 5.2f, 1}, true),
        frameAt(10.6f, {7, 5.1f, 3}, true, true),
        frameAt(12, {7, 5.3f, 20}, false, false, true),
    };
    EXPECT_DOUBLE_EQ(walkSeconds(walk), 2);
    for (const WalkFrame& frame : walk) {
        SCOPED_TRACE(frame.time);
        const WalkFrame pose = walkFrameAt(walk, frame.time - 10.0);
        EXPECT_FLOAT_EQ(pose.eye.x, frame.eye.x);
        EXPECT_FLOAT_EQ(pose.eye.y, frame.eye.y);
        EXPECT_FLOAT_EQ(pose.eye.z, frame.eye.z);
        EXPECT_FLOAT_EQ(pose.lookAt.x, frame.lookAt.x);
        EXPECT_EQ(pose.crouching, frame.crouching);
        EXPECT_EQ(pose.zoomed, frame.zoomed);
        EXPECT_EQ(pose.wireframe, frame.wireframe);
    }
    // Between frames, the states of the one before; beyond the ends, the ends.
    EXPECT_TRUE(walkFrameAt(walk, 0.59).crouching);
    EXPECT_FALSE(walkFrameAt(walk, 0.59).zoomed);
    EXPECT_TRUE(walkFrameAt(walk, 1.99).zoomed);
    EXPECT_FLOAT_EQ(walkFrameAt(walk, -1).eye.x, 0);
    EXPECT_FLOAT_EQ(walkFrameAt(walk, 5).eye.z, 20);
    EXPECT_TRUE(walkFrameAt(walk, 5).wireframe);
}

TEST(WalkPath, NeitherJumpsNorOvershootsWhereFramesLieUnevenly)
{
    // Along x only: the eye must move one way, and stay between each two frames.
    const struct {
        const char* what;
        std::vector<float> times, xs;
    } cases[] = {
        {"a frame that took a second", {0, 0.1f, 0.2f, 1.2f, 1.3f}, {0, 1.2f, 2.4f, 14.4f, 15.6f}},
        {"standing, then off", {0, 0.1f, 0.2f, 0.3f, 0.4f}, {0, 0, 0, 10, 10.1f}},
        {"a long step, then small ones", {0, 0.1f, 0.2f, 0.3f, 0.4f}, {0, 10, 10.1f, 10.2f, 20}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<WalkFrame> walk;
        for (size_t i = 0; i < c.times.size(); ++i)
            walk.push_back(frameAt(c.times[i], {c.xs[i], 5, 7}));
        float previous = walk.front().eye.x;
        for (double t = 0; t <= walkSeconds(walk); t += 0.001) {
            const WalkFrame pose = walkFrameAt(walk, t);
            const auto next = std::upper_bound(c.times.begin(), c.times.end(), static_cast<float>(t));
            const float before = c.xs[static_cast<size_t>(next - c.times.begin()) - 1];
            const float after = next == c.times.end() ? before : c.xs[static_cast<size_t>(next - c.times.begin())];
            ASSERT_GE(pose.eye.x, before - 1e-4f) << "at " << t;
            ASSERT_LE(pose.eye.x, after + 1e-4f) << "at " << t;
            ASSERT_GE(pose.eye.x, previous - 1e-4f) << "at " << t;
            ASSERT_FLOAT_EQ(pose.eye.y, 5);
            previous = pose.eye.x;
        }
    }
}

TEST(WalkPath, TurnsSmoothlyAndKeepsAViewThroughAQuickTurn)
{
    // Walking a circle of radius 10 at uneven frame times, then a half turn
    // of the view within one frame: the point looked at swings through the eye.
    std::vector<WalkFrame> walk;
    float time = 0;
    for (int i = 0; i < 40; ++i) {
        const float angle = static_cast<float>(i) * 0.1f;
        walk.push_back(frameAt(time, {10 * std::cos(angle), 5, 10 * std::sin(angle)}));
        time += i % 3 == 0 ? 0.05f : 0.01f;
    }
    WalkFrame turned = walk.back();
    turned.time += 0.01f;
    turned.lookAt.x = turned.eye.x - 1;
    walk.push_back(turned);

    Vector3 previous = walk.front().eye;
    for (double t = 0; t <= walkSeconds(walk); t += 0.0005) {
        const WalkFrame pose = walkFrameAt(walk, t);
        const float step = std::hypot(pose.eye.x - previous.x, pose.eye.z - previous.z);
        ASSERT_LT(step, 0.1f) << "at " << t; // the fastest legs: 1 unit in 0.01 s, 0.05 a sample
        ASSERT_GT(std::hypot(pose.lookAt.x - pose.eye.x, pose.lookAt.z - pose.eye.z), 5e-4f) << "at " << t;
        previous = pose.eye;
    }
}

} // namespace
