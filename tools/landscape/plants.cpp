#include "plants.h"

#include "random.h"
#include "sun.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <stdexcept>

namespace landscape {

namespace {

const Vec3 kUp{0.0f, 1.0f, 0.0f};

// Trunk length per repeat of the bark texture, which holds four rings.
constexpr float kBarkRepeat = 12.0f;

// s coordinate for a surface with this normal: faces lit from either side
// (leaves let light through), never fully dark.
float shadeS(Vec3 normal, float shadow = 1.0f)
{
    const float direct = std::fabs(dot(normalize(normal), sunDirection()));
    return std::clamp((0.18f + 0.8f * direct) * shadow, 0.03f, 0.97f);
}

Vec3 horizontal(float azimuth) { return {std::cos(azimuth), 0.0f, std::sin(azimuth)}; }

float sunAzimuth()
{
    const Vec3 sun = sunDirection();
    return std::atan2(sun.z, sun.x);
}

// A flat-shaded triangle: its own three vertices, so it keeps its own s.
void addFlatTriangle(MeshPiece& piece, Vec3 a, Vec3 b, Vec3 c, float va, float vb, float vc, float shadow)
{
    const float s = shadeS(cross(b - a, c - a), shadow);
    const int ia = piece.addVertex({a.x, a.y, a.z, s, va});
    const int ib = piece.addVertex({b.x, b.y, b.z, s, vb});
    const int ic = piece.addVertex({c.x, c.y, c.z, s, vc});
    piece.addTriangle(ia, ib, ic);
}

// The trunk's spine: a quadratic curve that leans early and turns upright
// towards the crown, as palms grow back towards the light.
struct Spine {
    Vec3 p0, p1, p2;
    Vec3 at(float t) const
    {
        const float a = 1.0f - t;
        return p0 * (a * a) + p1 * (2.0f * a * t) + p2 * (t * t);
    }
    Vec3 tangent(float t) const { return normalize((p1 - p0) * (1.0f - t) + (p2 - p1) * t); }
};

// Offset from the spine towards an azimuth, square to the spine's direction.
Vec3 ringOffset(Vec3 tangent, float azimuth)
{
    const Vec3 h = horizontal(azimuth);
    return normalize(h - tangent * dot(h, tangent));
}

// An open tapering tube along the spine: no cap at either end, since the foot
// is in the ground and the fronds hide the top.
//
//   ring k+1   o---o---o---o   (sides + 1 vertices; the last repeats the
//              | / | / | / |    first at s = 1 so the bark wraps once)
//   ring k     o---o---o---o
MeshPiece buildTrunk(const PalmShape& shape, const Spine& spine)
{
    MeshPiece piece;
    const int sides = shape.trunkSides;
    const float start = sunAzimuth();
    float climbed = 0.0f; // length along the spine, so the rings keep their spacing however few the segments
    Vec3 previousCentre = spine.at(0.0f);
    for (int k = 0; k <= shape.trunkSegments; ++k) {
        const float t = static_cast<float>(k) / static_cast<float>(shape.trunkSegments);
        const Vec3 centre = spine.at(t);
        climbed += length(centre - previousCentre);
        previousCentre = centre;
        const float radius = lerp(shape.footRadius, shape.topRadius, t);
        // The foot ring lies level, so the trunk meets flat ground all round.
        const Vec3 tangent = k == 0 ? kUp : spine.tangent(t);
        for (int i = 0; i <= sides; ++i) {
            const float s = static_cast<float>(i) / static_cast<float>(sides);
            const Vec3 p = centre + ringOffset(tangent, start + 2.0f * kPi * s) * radius;
            piece.addVertex({p.x, p.y, p.z, s, climbed / kBarkRepeat});
        }
    }
    for (int k = 0; k < shape.trunkSegments; ++k) {
        for (int i = 0; i < sides; ++i) {
            const int a = k * (sides + 1) + i;
            const int b = a + 1;
            const int c = a + sides + 1;
            const int d = c + 1;
            piece.addTriangle(a, b, d);
            piece.addTriangle(a, d, c);
        }
    }
    return piece;
}

// One frond: a midrib that arches out and droops, with one leaflet either
// side of each of its segments. A leaflet is a single triangle from its
// segment out to a tip that sweeps forward and hangs below the frond, so the
// frond's edge is saw-toothed and its two halves take different shades.
//
//            T              left leaflet's tip
//          /   \            (one triangle)
//   P(k) -------- P(k+1)    midrib
//          \   /
//            T              right leaflet's tip
MeshPiece buildFrond(const PalmShape& shape, Vec3 root, float azimuth, float lift, float droop, float frondLength,
                     float shadow)
{
    MeshPiece piece;
    const int segments = shape.frondSamples;
    const Vec3 out = horizontal(azimuth);
    const Vec3 side = horizontal(azimuth + 0.5f * kPi);
    const float step = frondLength / static_cast<float>(segments);
    auto direction = [&](float q) {
        const float pitch = lift - droop * std::pow(q, 1.5f);
        return out * std::cos(pitch) + kUp * std::sin(pitch);
    };

    Vec3 point = root;
    for (int k = 0; k < segments; ++k) {
        const float q = (static_cast<float>(k) + 0.5f) / static_cast<float>(segments);
        const Vec3 along = direction(q);
        const Vec3 next = point + along * step;
        // Longest in the middle of the frond, short at its root and tip.
        const float reach = shape.leafletLength * (0.3f + 0.7f * std::sin(kPi * (0.08f + 0.84f * q)));
        const Vec3 base = lerp(point, next, 0.6f);
        for (const float hand : {1.0f, -1.0f}) {
            const Vec3 swept = normalize(along * 0.45f + side * hand);
            const Vec3 d = normalize(swept - kUp * (shape.leafletDroop * (0.5f + 0.8f * q)));
            addFlatTriangle(piece, point, base + d * reach, next, 0.05f, 0.95f, 0.3f, shadow);
        }
        point = next;
    }
    return piece;
}

void requireAtLeast(int value, int least, const char* what)
{
    if (value < least)
        throw std::invalid_argument(std::string("palm with too few ") + what);
}

} // namespace

Mesh buildPalm(const PalmShape& shape, uint64_t seed)
{
    requireAtLeast(shape.trunkSides, 3, "trunk sides");
    requireAtLeast(shape.trunkSegments, 1, "trunk segments");
    requireAtLeast(shape.fronds, 1, "fronds");
    requireAtLeast(shape.frondSamples, 1, "frond segments");

    SplitMix64 random(seed);
    MeshBuilder builder;
    const int bark = builder.texture(shape.barkTexture);
    const int fronds = builder.texture(shape.frondTexture);

    Spine spine;
    spine.p0 = shape.foot;
    spine.p2 = shape.foot + shape.lean + kUp * shape.trunkHeight;
    spine.p1 = shape.foot + shape.lean * 0.8f + kUp * (0.4f * shape.trunkHeight);
    const Vec3 top = spine.at(1.0f);
    builder.add(bark, buildTrunk(shape, spine));

    // Upper fronds stand up and out; lower, older ones hang further down and
    // lie in the crown's shade. They spring from just inside the trunk's rim,
    // which closes the open top for an eye below it.
    const float turn = random.unit() * 2.0f * kPi;
    for (int f = 0; f < shape.fronds; ++f) {
        const bool lower = f % 2 == 1;
        const float azimuth = turn + 2.0f * kPi * static_cast<float>(f) / static_cast<float>(shape.fronds) +
                              random.range(-0.15f, 0.15f);
        const float lift = shape.frondLift + (lower ? -0.4f : 0.1f) + random.range(-0.08f, 0.08f);
        const float droop = shape.frondDroop * (lower ? 1.2f : 0.9f) * random.range(0.9f, 1.1f);
        const float frondLength = shape.frondLength * (lower ? 1.0f : 0.88f) * random.range(0.9f, 1.05f);
        const Vec3 root = top + horizontal(azimuth) * (shape.topRadius * 0.8f) + kUp * (lower ? 0.0f : 0.6f);
        builder.add(fronds, buildFrond(shape, root, azimuth, lift, droop, frondLength, lower ? 0.85f : 1.0f));
    }
    return builder.mesh();
}

PalmShape atDetail(const PalmShape& leanest, int level)
{
    if (level < kLeastDetail || level > kMostDetail)
        throw std::invalid_argument("no such level of detail");
    PalmShape shape = leanest;
    if (level == kLeastDetail)
        return shape;
    const float factor = static_cast<float>(1 << (level - 1));
    // The trunk's triangles grow as sides × segments: both grow by the square
    // root of the factor, the segments making up what rounding lost.
    const int trunkCells = leanest.trunkSides * leanest.trunkSegments;
    shape.trunkSides = static_cast<int>(std::lround(static_cast<float>(leanest.trunkSides) * std::sqrt(factor)));
    shape.trunkSegments = std::max(1, static_cast<int>(std::lround(static_cast<float>(trunkCells) * factor /
                                                                   static_cast<float>(shape.trunkSides))));
    // One more frond a level, so the kinds keep their different crowns; each
    // frond's leaflets take the rest.
    const int leaflets = leanest.fronds * leanest.frondSamples;
    shape.fronds = leanest.fronds + level - 1;
    shape.frondSamples = std::max(
        1, static_cast<int>(std::lround(static_cast<float>(leaflets) * factor / static_cast<float>(shape.fronds))));
    return shape;
}

int grassBlades(int level)
{
    if (level < kLeastDetail || level > kMostDetail)
        throw std::invalid_argument("no such level of detail");
    return kGrassBlades << (level - 1);
}

Mesh buildGrassTuft(uint64_t seed, const std::string& bladeTexture, int level)
{
    SplitMix64 random(seed);
    MeshBuilder builder;
    const int texture = builder.texture(bladeTexture);
    MeshPiece piece;
    const int blades = grassBlades(level);
    static_assert(std::gcd(5, kGrassBlades) == 1, "the heights below visit every step once, at every level");
    // A fuller tuft stands on a wider clump.
    const float spread = 0.45f * std::sqrt(static_cast<float>(blades) / kGrassBlades);
    for (int b = 0; b < blades; ++b) {
        const float azimuth = 2.0f * kPi * (static_cast<float>(b) + random.unit()) / static_cast<float>(blades);
        const Vec3 out = horizontal(azimuth);
        const Vec3 root = out * random.range(0.0f, spread);
        // Heights spread evenly from 3.4 to 5.6 over the blades, neighbours
        // apart; the lean keeps every tip below 6.
        const float height = 3.4f + 2.2f * static_cast<float>((b * 5) % blades) / static_cast<float>(blades - 1);
        const float lean = random.range(0.15f, 0.5f);
        const Vec3 flat = horizontal(azimuth + 0.5f * kPi + random.range(-0.5f, 0.5f));
        const Vec3 tip = root + kUp * (0.97f * height) + out * (lean * height);
        addFlatTriangle(piece, root + flat * 0.18f, root - flat * 0.18f, tip, 0.02f, 0.02f, 0.98f, 1.0f);
    }
    builder.add(texture, piece);
    return builder.mesh();
}

} // namespace landscape
