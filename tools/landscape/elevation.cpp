#include "elevation.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace landscape {

namespace {

// One line of samples resampled to a new length: the mean of the samples
// each new one covers when the line shrinks, a blend of the two nearest when
// it grows. Samples sit at cell centres, so the ends stay where they were.
void resampleLine(const float* in, int inCount, int inStride, float* out, int outCount, int outStride)
{
    const double ratio = static_cast<double>(inCount) / outCount;
    for (int i = 0; i < outCount; ++i) {
        float value;
        if (inCount > outCount) {
            const int first = static_cast<int>(i * ratio);
            const int last = std::max(first + 1, static_cast<int>((i + 1) * ratio));
            double sum = 0.0;
            for (int k = first; k < last; ++k)
                sum += in[k * inStride];
            value = static_cast<float>(sum / (last - first));
        } else {
            const double at = std::clamp((i + 0.5) * ratio - 0.5, 0.0, static_cast<double>(inCount - 1));
            const int low = static_cast<int>(at);
            const int high = std::min(low + 1, inCount - 1);
            const double t = at - low;
            value = static_cast<float>(in[low * inStride] * (1.0 - t) + in[high * inStride] * t);
        }
        out[i * outStride] = value;
    }
}

} // namespace

int fillNoData(ElevationGrid& grid)
{
    const int w = grid.width;
    const int h = grid.height;
    std::vector<size_t> front;
    size_t known = 0;
    auto missing = [&](int x, int y) { return std::isnan(grid.at(x, y)); };
    auto touchesData = [&](int x, int y) {
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) {
                const int nx = x + dx, ny = y + dy;
                if (nx >= 0 && ny >= 0 && nx < w && ny < h && !missing(nx, ny))
                    return true;
            }
        return false;
    };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (!missing(x, y))
                ++known;
            else if (touchesData(x, y))
                front.push_back(static_cast<size_t>(y) * w + x);
        }
    if (known == 0)
        throw std::runtime_error("no sample has data");
    if (front.empty())
        return 0; // no holes: a large grid needs no map of them

    // Each round fills the holes' current rim from the samples known before
    // it, so a hole closes evenly from all sides, not from one corner.
    int filled = 0;
    std::vector<std::pair<size_t, float>> values;
    std::vector<uint8_t> queued(grid.samples.size(), 0);
    for (size_t i : front)
        queued[i] = 1;
    while (!front.empty()) {
        values.clear();
        for (size_t i : front) {
            const int x = static_cast<int>(i % w), y = static_cast<int>(i / w);
            double sum = 0.0;
            int count = 0;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const int nx = x + dx, ny = y + dy;
                    if (nx < 0 || ny < 0 || nx >= w || ny >= h || missing(nx, ny))
                        continue;
                    sum += grid.at(nx, ny);
                    ++count;
                }
            values.emplace_back(i, static_cast<float>(sum / count));
        }
        std::vector<size_t> next;
        for (const auto& [i, value] : values) {
            grid.samples[i] = value;
            ++filled;
        }
        for (size_t i : front) {
            const int x = static_cast<int>(i % w), y = static_cast<int>(i / w);
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const int nx = x + dx, ny = y + dy;
                    if (nx < 0 || ny < 0 || nx >= w || ny >= h)
                        continue;
                    const size_t n = static_cast<size_t>(ny) * w + nx;
                    if (!queued[n] && missing(nx, ny)) {
                        queued[n] = 1;
                        next.push_back(n);
                    }
                }
        }
        front.swap(next);
    }
    return filled;
}

GroundFit fitGround(const ElevationGrid& grid, std::optional<float> unitsPerStep)
{
    GroundFit fit;
    const auto [low, high] = std::minmax_element(grid.samples.begin(), grid.samples.end());
    fit.inputMin = *low;
    fit.inputMax = *high;
    // A flat input stays flat at height 0 rather than dividing by nothing.
    fit.unitsPerStep = unitsPerStep.value_or(std::max((fit.inputMax - fit.inputMin) / 255.0f, 1e-6f));

    // Rows first, then columns, each along one line at a time.
    std::vector<float> rows(static_cast<size_t>(grid.height) * kMapSize);
    for (int y = 0; y < grid.height; ++y) {
        resampleLine(&grid.samples[static_cast<size_t>(y) * grid.width], grid.width, 1,
                     &rows[static_cast<size_t>(y) * kMapSize], kMapSize, 1);
    }
    fit.ground.size = kMapSize;
    fit.ground.heights.resize(static_cast<size_t>(kMapSize) * kMapSize);
    for (int x = 0; x < kMapSize; ++x) {
        resampleLine(&rows[x], grid.height, kMapSize, &fit.ground.heights[x], kMapSize, kMapSize);
    }
    for (float& height : fit.ground.heights) {
        const float scaled = (height - fit.inputMin) / fit.unitsPerStep;
        if (scaled > 255.0f)
            ++fit.clipped;
        height = std::clamp(scaled, 0.0f, 255.0f);
    }
    fit.scale = {fit.inputMin, fit.unitsPerStep};
    return fit;
}

StartPlacement standStartOnGround(HeightField& ground)
{
    StartPlacement placement;
    const float start = ground.at(kStartX, kStartZ);
    if (start >= kLeastStartGround)
        return placement;
    const float top = *std::max_element(ground.heights.begin(), ground.heights.end());
    placement.raisedBy = std::min(kLeastStartGround - start, 255.0f - top);
    const float raised = start + placement.raisedBy;
    if (raised < kLeastStartGround)
        placement.relief = (255.0f - kLeastStartGround) / (255.0f - raised);
    for (float& height : ground.heights)
        height = 255.0f - (255.0f - (height + placement.raisedBy)) * placement.relief;
    return placement;
}

StartPlacement standStartOnGround(GroundFit& fit)
{
    const StartPlacement placement = standStartOnGround(fit.ground);
    // Raised: h' = h + raisedBy. Flattened: h'' = 255 - (255 - h') relief.
    HeightScale& scale = fit.scale;
    scale.atHeight0 -= scale.perStep * placement.raisedBy;
    const double relief = placement.relief;
    scale.atHeight0 += scale.perStep * 255.0 * (1.0 - 1.0 / relief);
    scale.perStep /= relief;
    return placement;
}

} // namespace landscape
