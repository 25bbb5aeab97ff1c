#pragma once
// A small fine ground for the terrain tests: 1025 samples a side, a gentle
// swell, a ridge one sample wide along x = 300 and a little noise, so that
// every level drops detail that the one below holds.

#include "terrain/ground_layout.h"

#include <cmath>
#include <random>
#include <vector>

inline constexpr int kTestGroundSide = 1025;
inline constexpr int kTestRidgeColumn = 300;
inline constexpr float kTestRidgeHeight = 40;

// Made once for the whole test program.
inline const std::vector<float>& testGround()
{
    static const std::vector<float> ground = [] {
        std::vector<float> heights(static_cast<size_t>(kTestGroundSide) * kTestGroundSide);
        std::mt19937 random(7);
        std::uniform_real_distribution<float> noise(-0.5f, 0.5f);
        for (int j = 0; j < kTestGroundSide; ++j) {
            for (int i = 0; i < kTestGroundSide; ++i) {
                float h = 60 + 30 * std::sin(float(i) * 0.01f) * std::cos(float(j) * 0.013f) + noise(random);
                if (i == kTestRidgeColumn)
                    h += kTestRidgeHeight;
                heights[static_cast<size_t>(j) * kTestGroundSide + i] = h;
            }
        }
        return heights;
    }();
    return ground;
}

// A node's kGroundNodeSide x kGroundNodeSide samples at its level, as a file holds them.
inline std::vector<float> testNodeSamples(const GroundLayout& layout, const float* heights, GroundNode node)
{
    std::vector<float> samples(kGroundNodeSamples);
    for (int j = 0; j < kGroundNodeSide; ++j)
        for (int i = 0; i < kGroundNodeSide; ++i)
            samples[j * kGroundNodeSide + i] = levelSample(layout, heights, node.level, node.x * kGroundNodeQuads + i,
                                                           node.z * kGroundNodeQuads + j);
    return samples;
}

// Its nodes' bounds, computed once.
inline const std::vector<GroundNodeBounds>& testGroundBounds()
{
    static const std::vector<GroundNodeBounds> bounds =
        computeGroundNodeBounds(*groundLayout(kTestGroundSide), testGround().data());
    return bounds;
}
