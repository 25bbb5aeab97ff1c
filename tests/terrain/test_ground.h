#pragma once
// A small fine ground for the terrain tests, made once: 1025 samples a side,
// a swell, a little noise and a ridge one sample wide along column 300, which
// the coarse levels lose.

#include "terrain/ground_layout.h"

#include <cmath>
#include <random>
#include <vector>

inline constexpr int kTestGroundSide = 1025;
inline constexpr int kTestRidgeColumn = 300;

inline const std::vector<float>& testGround()
{
    static const std::vector<float> ground = [] {
        std::vector<float> heights(size_t(kTestGroundSide) * kTestGroundSide);
        std::mt19937 random(7);
        std::uniform_real_distribution<float> noise(-0.5f, 0.5f);
        for (size_t n = 0; n < heights.size(); ++n) {
            const float i = float(n % kTestGroundSide), j = float(n / kTestGroundSide);
            heights[n] = 60 + 30 * std::sin(i * 0.01f) * std::cos(j * 0.013f) + noise(random) +
                         (i == kTestRidgeColumn ? 40.0f : 0.0f);
        }
        return heights;
    }();
    return ground;
}

// A node's samples at its level, as a file holds them.
inline std::vector<float> testNodeSamples(const GroundLayout& layout, const float* heights, GroundNode node)
{
    std::vector<float> samples(kGroundNodeSamples);
    for (int n = 0; n < kGroundNodeSamples; ++n)
        samples[n] = levelSample(layout, heights, node.level, node.x * kGroundNodeQuads + n % kGroundNodeSide,
                                 node.z * kGroundNodeQuads + n / kGroundNodeSide);
    return samples;
}
