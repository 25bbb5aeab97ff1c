#include "elevation.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <fstream>
#include <limits>
#include <stdexcept>

namespace landscape {

namespace {

constexpr int16_t kNoData = -32768;
const float kMissing = std::numeric_limits<float>::quiet_NaN();

std::vector<uint8_t> readBytes(const std::filesystem::path& path)
{
    std::error_code error;
    if (std::filesystem::is_directory(path, error))
        throw std::runtime_error("is a folder, not a file");
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot be opened");
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        throw std::runtime_error("cannot be read");
    return bytes;
}

bool hasTileName(const std::filesystem::path& path)
{
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".hgt";
}

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

ElevationGrid decodeElevationTile(const std::vector<uint8_t>& bytes)
{
    int side = 0;
    for (const int candidate : {1201, 3601}) {
        if (bytes.size() == static_cast<size_t>(candidate) * candidate * 2)
            side = candidate;
    }
    if (side == 0) {
        throw std::runtime_error(
            "not an elevation tile: " + std::to_string(bytes.size()) +
            " bytes, where a tile of 1201 x 1201 or 3601 x 3601 samples has 2884802 or 25934402");
    }
    ElevationGrid grid;
    grid.width = side;
    grid.height = side;
    grid.samples.resize(static_cast<size_t>(side) * side);
    for (size_t i = 0; i < grid.samples.size(); ++i) {
        const auto sample = static_cast<int16_t>(static_cast<uint16_t>(bytes[2 * i] << 8 | bytes[2 * i + 1]));
        grid.samples[i] = sample == kNoData ? kMissing : static_cast<float>(sample);
    }
    return grid;
}

ElevationGrid readElevationFile(const std::filesystem::path& path)
{
    try {
        const std::vector<uint8_t> bytes = readBytes(path);
        return hasTileName(path) ? decodeElevationTile(bytes) : decodeGreyPicture(bytes);
    } catch (const std::runtime_error& e) {
        throw std::runtime_error(path.string() + ": " + e.what());
    }
}

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

ElevationGrid crop(const ElevationGrid& grid, const CropBox& box)
{
    if (box.x < 0 || box.y < 0 || box.width < 1 || box.height < 1 || box.x > grid.width - box.width ||
        box.y > grid.height - box.height) {
        throw std::runtime_error("the crop box does not lie inside the " + std::to_string(grid.width) + " x " +
                                 std::to_string(grid.height) + " samples");
    }
    ElevationGrid out;
    out.width = box.width;
    out.height = box.height;
    out.samples.reserve(static_cast<size_t>(box.width) * box.height);
    for (int y = box.y; y < box.y + box.height; ++y) {
        const auto row = grid.samples.begin() + static_cast<std::ptrdiff_t>(y) * grid.width + box.x;
        out.samples.insert(out.samples.end(), row, row + box.width);
    }
    return out;
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
    return fit;
}

} // namespace landscape
