#include "view/walk_path.h"

#include <algorithm>
#include <cmath>

namespace {

struct Point {
    double x, y, z;
};

Point toPoint(Vector3 v) { return {v.x, v.y, v.z}; }
Vector3 toVector(Point p) { return {static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.z)}; }

// From a towards b by s (s = 1 gives b; beyond 1 goes on past it). Equal
// points give that point exactly, whatever s.
Point lerp(Point a, Point b, double s)
{
    return {a.x + (b.x - a.x) * s, a.y + (b.y - a.y) * s, a.z + (b.z - a.z) * s};
}

// The knot step of centripetal parametrisation: the square root of the
// distance. Two equal points would divide by zero; their weights then have
// nothing to mix, so any step serves.
double knotStep(Point a, Point b)
{
    const double dx = b.x - a.x, dy = b.y - a.y, dz = b.z - a.z;
    return std::max(std::sqrt(std::sqrt(dx * dx + dy * dy + dz * dz)), 1e-9);
}

// The curve between p1 and p2 at fraction f of the way, with p0 and p3 as
// their neighbours (Barry and Goldman's pyramid of linear steps).
Point catmullRom(Point p0, Point p1, Point p2, Point p3, double f)
{
    const double t0 = 0;
    const double t1 = t0 + knotStep(p0, p1);
    const double t2 = t1 + knotStep(p1, p2);
    const double t3 = t2 + knotStep(p2, p3);
    const double u = t1 + f * (t2 - t1);
    const Point a1 = lerp(p0, p1, (u - t0) / (t1 - t0));
    const Point a2 = lerp(p1, p2, (u - t1) / (t2 - t1));
    const Point a3 = lerp(p2, p3, (u - t2) / (t3 - t2));
    const Point b1 = lerp(a1, a2, (u - t0) / (t2 - t0));
    const Point b2 = lerp(a2, a3, (u - t1) / (t3 - t1));
    return lerp(b1, b2, f);
}

// The curve through one of the two points of every frame, between frames i
// and i + 1. Beyond the ends the walk goes on as it started and ended.
template <typename Pick>
Point curveAt(std::span<const WalkFrame> walk, size_t i, double f, Pick pick)
{
    const Point p1 = toPoint(pick(walk[i]));
    const Point p2 = toPoint(pick(walk[i + 1]));
    const Point p0 = i > 0 ? toPoint(pick(walk[i - 1])) : lerp(p2, p1, 2);
    const Point p3 = i + 2 < walk.size() ? toPoint(pick(walk[i + 2])) : lerp(p1, p2, 2);
    return catmullRom(p0, p1, p2, p3, f);
}

double horizontalSquared(Vector3 from, Vector3 to)
{
    const double dx = to.x - from.x, dz = to.z - from.z;
    return dx * dx + dz * dz;
}

} // namespace

double walkSeconds(std::span<const WalkFrame> walk)
{
    return walk.empty() ? 0 : static_cast<double>(walk.back().time) - walk.front().time;
}

WalkFrame walkFrameAt(std::span<const WalkFrame> walk, double seconds)
{
    const double time = walk.front().time + std::clamp(seconds, 0.0, walkSeconds(walk));
    // The last frame at or before the time; frames that share a time are passed.
    const auto after = std::upper_bound(walk.begin(), walk.end(), time,
                                        [](double t, const WalkFrame& frame) { return t < frame.time; });
    const size_t i = static_cast<size_t>(after - walk.begin()) - 1;
    WalkFrame pose = walk[i];
    pose.time = static_cast<float>(time);
    if (i + 1 == walk.size())
        return pose;

    const double f = (time - walk[i].time) / (static_cast<double>(walk[i + 1].time) - walk[i].time);
    pose.eye = toVector(curveAt(walk, i, f, [](const WalkFrame& frame) { return frame.eye; }));
    pose.lookAt = toVector(curveAt(walk, i, f, [](const WalkFrame& frame) { return frame.lookAt; }));
    // A quick turn can swing the point looked at through the eye.
    if (horizontalSquared(pose.eye, pose.lookAt) < 1e-6 * horizontalSquared(walk[i].eye, walk[i].lookAt)) {
        const Vector3 eye = walk[i].eye, look = walk[i].lookAt;
        pose.lookAt = {pose.eye.x + (look.x - eye.x), pose.eye.y + (look.y - eye.y), pose.eye.z + (look.z - eye.z)};
    }
    return pose;
}
