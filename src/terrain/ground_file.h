#pragma once
// "landscape.ground.tif", the fine ground, read through libtiff: a tiled
// GeoTIFF of 32-bit float heights with every level of detail as an overview
// and each node's bounds in the file's own metadata (the format is in
// docs/data-formats.md). Opening checks the file's whole structure and the
// bounds, and reads no heights; a node's heights are read tile by tile on
// demand. One GroundFile serves one thread at a time: the loader opens its own.
// A file that breaks any rule is refused with one line that says why.

#include "assets/report.h"
#include "terrain/ground_layout.h"

#include <memory>
#include <string>
#include <vector>

constexpr const char* kFineGroundFileName = "landscape.ground.tif";

class GroundFile {
public:
    // The file's structure and bounds checked; null, with the report, when it
    // cannot serve. A file that is not there fails with an empty text.
    static std::unique_ptr<GroundFile> open(const std::string& path, Report& report);
    ~GroundFile();

    const GroundLayout& layout() const { return layout_; }
    const std::vector<GroundNodeBounds>& bounds() const { return bounds_; } // one a node, by groundNodeIndex
    const std::string& path() const { return path_; }

    // The node's kGroundNodeSamples heights at its level, row by row (z, then
    // x). Fails on a tile that will not decode and on a height that is not
    // finite; samples is then left undefined. Allocates nothing once warm.
    Report readNodeSamples(GroundNode node, float* samples);

    struct State;

private:
    GroundFile() = default;
    std::string path_;
    GroundLayout layout_;
    std::vector<GroundNodeBounds> bounds_;
    std::unique_ptr<State> state_;
};
