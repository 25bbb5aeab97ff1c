#include "plants.h"

#include "random.h"
#include "sun.h"

#include <algorithm>
#include <cmath>

namespace landscape {

namespace {

const Vec3 kUp{0.0f, 1.0f, 0.0f};

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

//   ring k+1   o---o---o---o   (sides + 1 vertices; the last repeats the
//              | / | / | / |    first at s = 1 so the bark wraps once)
//   ring k     o---o---o---o
MeshPiece buildTrunk(const PalmShape& shape, const Spine& spine)
{
    MeshPiece piece;
    const int sides = shape.trunkSides;
    const float start = sunAzimuth();
    // One bark ring per segment, four per texture repeat; the segments'
    // alternating radius gives the rings a ridge in the silhouette too.
    for (int k = 0; k <= shape.trunkSegments; ++k) {
        const float t = static_cast<float>(k) / static_cast<float>(shape.trunkSegments);
        const Vec3 centre = spine.at(t);
        const float flare = 1.0f + 0.6f * std::pow(1.0f - t, 10.0f);
        const float ridge = (k % 2 == 0) ? 1.0f : 1.06f;
        const float radius = lerp(shape.footRadius, shape.topRadius, t) * flare * ridge;
        const float ringV = 0.25f * static_cast<float>(k);
        // The foot ring lies level, so the trunk meets flat ground all round.
        const Vec3 tangent = k == 0 ? kUp : spine.tangent(t);
        for (int i = 0; i <= sides; ++i) {
            const float s = static_cast<float>(i) / static_cast<float>(sides);
            const Vec3 p = centre + ringOffset(tangent, start + 2.0f * kPi * s) * radius;
            piece.addVertex({p.x, p.y, p.z, s, ringV});
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

// The green crown shaft above the trunk, where the fronds spring from, closed
// by a cone.
MeshPiece buildCrown(const PalmShape& shape, Vec3 top)
{
    MeshPiece piece;
    const int sides = shape.trunkSides;
    const float start = sunAzimuth();
    const float heights[] = {0.0f, 1.4f, 2.8f};
    const float radii[] = {1.0f, 1.45f, 1.05f};
    for (int k = 0; k < 3; ++k) {
        for (int i = 0; i < sides; ++i) {
            const float angle = start + 2.0f * kPi * static_cast<float>(i) / static_cast<float>(sides);
            const Vec3 p = top + kUp * heights[k] + horizontal(angle) * (shape.topRadius * radii[k]);
            const float s = std::clamp(0.25f + 0.5f * std::max(0.0f, std::cos(angle - start)), 0.03f, 0.97f);
            piece.addVertex({p.x, p.y, p.z, s, 0.15f + 0.1f * static_cast<float>(k)});
        }
    }
    const Vec3 apex = top + kUp * 4.0f;
    const int tip = piece.addVertex({apex.x, apex.y, apex.z, 0.6f, 0.5f});
    for (int k = 0; k < 2; ++k) {
        for (int i = 0; i < sides; ++i) {
            const int a = k * sides + i;
            const int b = k * sides + (i + 1) % sides;
            piece.addTriangle(a, b, b + sides);
            piece.addTriangle(a, b + sides, a + sides);
        }
    }
    for (int i = 0; i < sides; ++i) piece.addTriangle(2 * sides + i, 2 * sides + (i + 1) % sides, tip);
    return piece;
}

// One frond: a thin midrib ribbon that arches out and droops, with a pair of
// folded leaflets at every sample, longest in the middle of the frond.
//
//          m1
//        /    \        each leaflet: two triangles either side of its
//   base ------ tip    midline, the edges folded below it, so the two
//        \    /        halves take different shades
//          m2
MeshPiece buildFrond(const PalmShape& shape, Vec3 root, float azimuth, float lift, float droop,
                     float frondLength, float shadow)
{
    MeshPiece piece;
    const int samples = shape.frondSamples;
    const Vec3 out = horizontal(azimuth);
    const Vec3 side = horizontal(azimuth + 0.5f * kPi);
    const float step = frondLength / static_cast<float>(samples);
    auto direction = [&](float q) {
        const float pitch = lift - droop * std::pow(q, 1.5f);
        return out * std::cos(pitch) + kUp * std::sin(pitch);
    };

    Vec3 point = root;
    int previousLeft = -1;
    int previousRight = -1;
    for (int k = 0; k <= samples; ++k) {
        const float q = static_cast<float>(k) / static_cast<float>(samples);
        const Vec3 along = direction(q);
        const float ribWidth = 0.22f * (1.0f - q) + 0.05f;
        const float ribS = shadeS(cross(along, side), shadow);
        const Vec3 l = point + side * ribWidth;
        const Vec3 r = point - side * ribWidth;
        const int left = piece.addVertex({l.x, l.y, l.z, ribS, 0.4f * q});
        const int right = piece.addVertex({r.x, r.y, r.z, ribS, 0.4f * q});
        if (k > 0) {
            piece.addTriangle(previousLeft, previousRight, right);
            piece.addTriangle(previousLeft, right, left);

            const float reach = shape.leafletLength * (0.3f + 0.7f * std::sin(kPi * (0.08f + 0.84f * q)));
            const float width = 0.12f * reach;
            for (const float hand : {1.0f, -1.0f}) {
                const Vec3 swept = normalize(along * 0.45f + side * hand);
                const Vec3 d = normalize(swept - kUp * (shape.leafletDroop * (0.5f + 0.8f * q)));
                const Vec3 across = normalize(along - d * dot(along, d));
                Vec3 surface = normalize(cross(d, across));
                if (surface.y < 0.0f) surface = surface * -1.0f;
                const Vec3 mid = point + d * (0.4f * reach) - surface * (0.3f * width);
                const Vec3 tip = point + d * reach;
                addFlatTriangle(piece, point, mid + across * width, tip, 0.05f, 0.45f, 0.95f, shadow);
                addFlatTriangle(piece, point, tip, mid - across * width, 0.05f, 0.95f, 0.45f, shadow);
            }
        }
        previousLeft = left;
        previousRight = right;
        if (k < samples) point = point + direction(q + 0.5f / static_cast<float>(samples)) * step;
    }
    return piece;
}

// A coconut: a small octahedron, flat-shaded.
MeshPiece buildCoconut(Vec3 centre, float radius)
{
    MeshPiece piece;
    const Vec3 axes[6] = {{1, 0, 0}, {0, 0, 1}, {-1, 0, 0}, {0, 0, -1}, {0, 1, 0}, {0, -1, 0}};
    for (int i = 0; i < 4; ++i) {
        const Vec3 a = centre + axes[i] * radius;
        const Vec3 b = centre + axes[(i + 1) % 4] * radius;
        addFlatTriangle(piece, a, b, centre + axes[4] * (radius * 0.9f), 0.2f, 0.2f, 0.1f, 0.6f);
        addFlatTriangle(piece, b, a, centre + axes[5] * (radius * 1.1f), 0.2f, 0.2f, 0.3f, 0.6f);
    }
    return piece;
}

} // namespace

Mesh buildPalm(const PalmShape& shape, uint64_t seed)
{
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
    builder.add(fronds, buildCrown(shape, top));

    // Upper fronds stand up and out; lower, older ones hang further down and
    // lie in the crown's shade.
    const Vec3 crown = top + kUp * 2.2f;
    const float turn = random.unit() * 2.0f * kPi;
    for (int f = 0; f < shape.fronds; ++f) {
        const bool lower = f % 2 == 1;
        const float azimuth =
            turn + 2.0f * kPi * static_cast<float>(f) / static_cast<float>(shape.fronds) + random.range(-0.15f, 0.15f);
        const float lift = shape.frondLift + (lower ? -0.4f : 0.1f) + random.range(-0.08f, 0.08f);
        const float droop = shape.frondDroop * (lower ? 1.2f : 0.9f) * random.range(0.9f, 1.1f);
        const float frondLength = shape.frondLength * (lower ? 1.0f : 0.88f) * random.range(0.9f, 1.05f);
        const Vec3 root = crown + horizontal(azimuth) * (shape.topRadius * 1.2f) + kUp * (lower ? 0.0f : 0.7f);
        builder.add(fronds, buildFrond(shape, root, azimuth, lift, droop, frondLength, lower ? 0.85f : 1.0f));
    }

    for (int c = 0; c < shape.coconuts; ++c) {
        const float azimuth = turn + 2.0f * kPi * (static_cast<float>(c) + 0.5f) / static_cast<float>(shape.coconuts);
        const Vec3 centre = top + kUp * 0.6f + horizontal(azimuth) * (shape.topRadius * 1.6f);
        builder.add(fronds, buildCoconut(centre, 0.8f));
    }
    return builder.mesh();
}

Mesh buildGrassTuft(uint64_t seed, const std::string& bladeTexture)
{
    SplitMix64 random(seed);
    MeshBuilder builder;
    const int texture = builder.texture(bladeTexture);
    MeshPiece piece;
    constexpr int kBlades = 12;
    for (int b = 0; b < kBlades; ++b) {
        const float azimuth = 2.0f * kPi * (static_cast<float>(b) + random.unit()) / kBlades;
        const Vec3 out = horizontal(azimuth);
        const Vec3 root = out * random.range(0.0f, 0.45f);
        // Heights spread from 3.4 to 5.6; the bend keeps every tip below 6.
        const float height = 3.4f + 2.2f * static_cast<float>((b * 5) % kBlades) / (kBlades - 1);
        const float bend = random.range(0.15f, 0.55f);
        const Vec3 flat = horizontal(azimuth + 0.5f * kPi + random.range(-0.5f, 0.5f));

        const Vec3 mid = root + kUp * (0.55f * height) + out * (0.35f * bend * height);
        const Vec3 tip = root + kUp * (0.95f * height) + out * (1.0f * bend * height);
        const Vec3 baseLeft = root + flat * 0.14f;
        const Vec3 baseRight = root - flat * 0.14f;
        const Vec3 midLeft = mid + flat * 0.09f;
        const Vec3 midRight = mid - flat * 0.09f;
        addFlatTriangle(piece, baseLeft, baseRight, midRight, 0.02f, 0.02f, 0.55f, 1.0f);
        addFlatTriangle(piece, baseLeft, midRight, midLeft, 0.02f, 0.55f, 0.55f, 1.0f);
        addFlatTriangle(piece, midLeft, midRight, tip, 0.55f, 0.55f, 0.98f, 1.0f);
    }
    builder.add(texture, piece);
    return builder.mesh();
}

} // namespace landscape
