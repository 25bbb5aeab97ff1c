#include "erosion.h"

#include "random.h"

#include <algorithm>
#include <cmath>

namespace landscape {

namespace {

struct BrushCell {
    int dx;
    int dz;
    float weight;
};

// Weights fall linearly to zero at the radius and sum to 1, so a droplet
// removes the amount it decided on (less where the ground runs out), spread
// over a soft disc.
std::vector<BrushCell> makeBrush(int radius)
{
    std::vector<BrushCell> brush;
    float sum = 0.0f;
    for (int dz = -radius; dz <= radius; ++dz) {
        for (int dx = -radius; dx <= radius; ++dx) {
            const float distance = std::sqrt(static_cast<float>(dx * dx + dz * dz));
            const float weight = static_cast<float>(radius) - distance;
            if (weight > 0.0f) {
                brush.push_back({dx, dz, weight});
                sum += weight;
            }
        }
    }
    for (BrushCell& cell : brush)
        cell.weight /= sum;
    return brush;
}

struct Sample {
    float height;
    float gradX;
    float gradZ;
};

// Bilinear height and gradient inside the cell that holds (x, z).
Sample sampleAt(const std::vector<float>& h, int size, float x, float z)
{
    const int mask = size - 1;
    const int cx = static_cast<int>(x);
    const int cz = static_cast<int>(z);
    const float fx = x - static_cast<float>(cx);
    const float fz = z - static_cast<float>(cz);
    const int x0 = cx & mask;
    const int z0 = cz & mask;
    const int x1 = (cx + 1) & mask;
    const int z1 = (cz + 1) & mask;
    const float h00 = h[z0 * size + x0];
    const float h10 = h[z0 * size + x1];
    const float h01 = h[z1 * size + x0];
    const float h11 = h[z1 * size + x1];
    Sample s;
    s.gradX = (h10 - h00) * (1.0f - fz) + (h11 - h01) * fz;
    s.gradZ = (h01 - h00) * (1.0f - fx) + (h11 - h10) * fx;
    s.height = h00 * (1.0f - fx) * (1.0f - fz) + h10 * fx * (1.0f - fz) + h01 * (1.0f - fx) * fz + h11 * fx * fz;
    return s;
}

float wrapCoordinate(float v, float size)
{
    if (v < 0.0f)
        v += size;
    if (v >= size)
        v -= size;
    // A value a hair below 0 can round up to exactly size after the add.
    return v >= size ? 0.0f : v;
}

} // namespace

void erodeWithDroplets(std::vector<float>& heights, int size, uint64_t seed, const ErosionSettings& settings)
{
    const std::vector<BrushCell> brush = makeBrush(settings.radius);
    const int mask = size - 1;
    const float fsize = static_cast<float>(size);
    SplitMix64 random(seed);

    for (int d = 0; d < settings.droplets; ++d) {
        float x = random.unit() * fsize;
        float z = random.unit() * fsize;
        float dirX = 0.0f;
        float dirZ = 0.0f;
        float speed = 1.0f;
        float water = 1.0f;
        float sediment = 0.0f;

        for (int step = 0; step < settings.maxSteps; ++step) {
            const int cellX = static_cast<int>(x);
            const int cellZ = static_cast<int>(z);
            const float offX = x - static_cast<float>(cellX);
            const float offZ = z - static_cast<float>(cellZ);
            const Sample here = sampleAt(heights, size, x, z);

            dirX = dirX * settings.inertia - here.gradX * (1.0f - settings.inertia);
            dirZ = dirZ * settings.inertia - here.gradZ * (1.0f - settings.inertia);
            const float len = std::sqrt(dirX * dirX + dirZ * dirZ);
            if (len < 1e-9f)
                break; // a perfectly flat spot: the droplet soaks in
            dirX /= len;
            dirZ /= len;
            x = wrapCoordinate(x + dirX, fsize);
            z = wrapCoordinate(z + dirZ, fsize);

            const float drop = sampleAt(heights, size, x, z).height - here.height;
            const float capacity = std::max(-drop * speed * water * settings.capacity, settings.minCapacity);

            if (sediment > capacity || drop > 0.0f) {
                // Uphill: fill the hollow behind (never above the rim); otherwise
                // set down part of what exceeds the capacity.
                const float amount =
                    drop > 0.0f ? std::min(drop, sediment) : (sediment - capacity) * settings.depositRate;
                sediment -= amount;
                const int x0 = cellX & mask;
                const int z0 = cellZ & mask;
                const int x1 = (cellX + 1) & mask;
                const int z1 = (cellZ + 1) & mask;
                heights[z0 * size + x0] += amount * (1.0f - offX) * (1.0f - offZ);
                heights[z0 * size + x1] += amount * offX * (1.0f - offZ);
                heights[z1 * size + x0] += amount * (1.0f - offX) * offZ;
                heights[z1 * size + x1] += amount * offX * offZ;
            } else {
                // Never dig deeper than the drop itself, or the droplet would
                // leave a pit behind it.
                const float amount = std::min((capacity - sediment) * settings.erodeRate, -drop);
                for (const BrushCell& cell : brush) {
                    float& target = heights[((cellZ + cell.dz) & mask) * size + ((cellX + cell.dx) & mask)];
                    const float taken = std::min(target, amount * cell.weight);
                    target -= taken;
                    sediment += taken;
                }
            }

            speed = std::sqrt(std::max(0.0f, speed * speed - drop * settings.gravity));
            water *= 1.0f - settings.evaporation;
        }
    }
}

void relaxSlopes(std::vector<float>& heights, int size, float maxDrop, int iterations)
{
    const int mask = size - 1;
    std::vector<float> change(heights.size());
    for (int pass = 0; pass < iterations; ++pass) {
        std::fill(change.begin(), change.end(), 0.0f);
        for (int z = 0; z < size; ++z) {
            for (int x = 0; x < size; ++x) {
                const int here = z * size + x;
                // Each pair of neighbours once (right, below), so what one cell
                // gives the other receives. A quarter of the excess per pair
                // keeps a cell with four lower neighbours from overshooting.
                for (const int there : {z * size + ((x + 1) & mask), ((z + 1) & mask) * size + x}) {
                    const float drop = heights[here] - heights[there];
                    const float excess = std::fabs(drop) - maxDrop;
                    if (excess <= 0.0f)
                        continue;
                    const float moved = drop > 0.0f ? 0.25f * excess : -0.25f * excess;
                    change[here] -= moved;
                    change[there] += moved;
                }
            }
        }
        for (size_t i = 0; i < heights.size(); ++i)
            heights[i] += change[i];
    }
}

} // namespace landscape
