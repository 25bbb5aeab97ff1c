#pragma once
// H.264 in MP4 through FFmpeg's libraries: libx264 at a fixed preset, quality
// and thread count, so the same frames always give the same bytes; yuv420p
// with BT.709 colours in the limited range, the form every common player
// takes; the index at the front of the file, so it plays while it downloads.
// Only lumora-render links this; the viewer never does.

#include "render/frame_sink.h"

#include <memory>
#include <string>

// Writes the video at tempPath and renames it to outPath when finished.
// Returns null, with the reason, when the encoder or the file cannot be set up.
std::unique_ptr<FrameSink> openVideoFile(const std::string& tempPath, const std::string& outPath, int width,
                                         int height, int fps, Report& problem);
