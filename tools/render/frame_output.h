#pragma once
// Where a render's frames go, and the thread that takes them there. The
// drawing thread reads each frame back into a free slot and hands it over;
// a writer thread encodes or compresses it meanwhile, so drawing and writing
// overlap.

#include "render/frame_sink.h"

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// The output that OUT names: a video for OUT.mp4, numbered PNG frames for a
// folder. Returns null, with the reason, when OUT is neither or cannot be
// written; then nothing is left behind.
std::unique_ptr<FrameSink> openFrameSink(const std::string& out, int width, int height, int fps, Report& problem);

// Hands frames to a writer thread through a few slots taken at the start.
class FramePipe {
public:
    FramePipe(FrameSink& sink, int width, int height);
    ~FramePipe(); // stops the thread

    // The slot to read the next frame into; waits while every slot is full.
    uint8_t* nextSlot();
    // The slot from nextSlot holds a frame: the writer takes it.
    void submit();
    // Waits until every frame handed over is written, and stops the thread.
    // False when any could not be written.
    bool drain();
    // False once a frame could not be written: drawing more is no use.
    bool writing() const;
    // Processor seconds the writer thread spent writing, so far: the video's
    // encoder runs on that thread alone.
    double writingSeconds() const;

private:
    void run();

    static constexpr int kSlots = 3; // one drawn, one written, one spare
    FrameSink& sink;
    std::vector<uint8_t> slots[kSlots];
    mutable std::mutex lock;
    std::condition_variable changed;
    int filled = 0;    // slots handed over and not yet written
    int readSlot = 0;  // the next slot the writer takes
    int writeSlot = 0; // the next slot the drawing thread fills
    bool ending = false;
    bool failed = false;
    double cpuSeconds = 0;
    std::thread writer;
};
