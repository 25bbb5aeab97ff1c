// Deterministic random numbers for the landscape generator.
// One 64-bit state, advanced by the splitmix64 step; every draw is plain
// integer arithmetic, so a seed gives the same stream on every build and run.
// Each part of the landscape takes its own stream (streamSeed), so changing
// how many numbers one part draws never moves another part.
#pragma once

#include <cstdint>

namespace landscape {

class SplitMix64 {
public:
    explicit SplitMix64(uint64_t seed) : state_(seed) {}

    uint64_t next()
    {
        state_ += 0x9E3779B97F4A7C15ull;
        uint64_t z = state_;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    // Uniform in [0, 1), from the top 24 bits so every value is exact in a float.
    float unit() { return static_cast<float>(next() >> 40) * (1.0f / 16777216.0f); }

    float range(float low, float high) { return low + (high - low) * unit(); }

    // Uniform integer in [0, count); count > 0.
    uint32_t below(uint32_t count) { return static_cast<uint32_t>((next() >> 32) % count); }

private:
    uint64_t state_;
};

// A well-mixed seed for one named part of the landscape.
inline uint64_t streamSeed(uint64_t seed, uint64_t stream)
{
    SplitMix64 mixer(seed ^ (stream * 0xD1B54A32D192ED03ull));
    mixer.next();
    return mixer.next();
}

// The 32-bit seed that the noise lattices hash with.
inline uint32_t noiseSeed(uint64_t seed, uint64_t stream)
{
    return static_cast<uint32_t>(streamSeed(seed, stream) >> 32);
}

} // namespace landscape
