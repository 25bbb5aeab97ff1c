// The six sky faces as the viewer puts them on its box. The box is centred
// (+500, 0, +500) from the eye, 9000 units on a side, so relative to the eye
// it spans x -4000..5000, y -4500..4500, z -4000..5000. Each face's corners
// and their (s, t) are the viewer's face table, written here on their own so
// that a slip in the table, or in the generator's reading of it, shows up as
// a seam.
#include "support/generated_set.h"
#include "sky.h"
#include "sun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>

namespace landscape_test {
namespace {

using landscape::Vec3;

constexpr float kX0 = -4000.0f, kX1 = 5000.0f;
constexpr float kY0 = -4500.0f, kY1 = 4500.0f;
constexpr float kZ0 = -4000.0f, kZ1 = 5000.0f;

struct Corner {
    Vec3 position;
    float s;
    float t;
};

struct Face {
    const char* file;
    Corner corners[4];
};

const Face kFaces[6] = {
    {"hillBack.bmp",
     {{{kX1, kY0, kZ0}, 1, 0}, {{kX1, kY1, kZ0}, 1, 1}, {{kX0, kY1, kZ0}, 0, 1}, {{kX0, kY0, kZ0}, 0, 0}}},
    {"hillFront.bmp",
     {{{kX0, kY0, kZ1}, 1, 0}, {{kX0, kY1, kZ1}, 1, 1}, {{kX1, kY1, kZ1}, 0, 1}, {{kX1, kY0, kZ1}, 0, 0}}},
    {"hillBottom.bmp",
     {{{kX0, kY0, kZ0}, 1, 0}, {{kX0, kY0, kZ1}, 1, 1}, {{kX1, kY0, kZ1}, 0, 1}, {{kX1, kY0, kZ0}, 0, 0}}},
    {"hillTop.bmp",
     {{{kX1, kY1, kZ0}, 0, 1}, {{kX1, kY1, kZ1}, 0, 0}, {{kX0, kY1, kZ1}, 1, 0}, {{kX0, kY1, kZ0}, 1, 1}}},
    {"hillRight.bmp",
     {{{kX0, kY1, kZ0}, 1, 1}, {{kX0, kY1, kZ1}, 0, 1}, {{kX0, kY0, kZ1}, 0, 0}, {{kX0, kY0, kZ0}, 1, 0}}},
    {"hillLeft.bmp",
     {{{kX1, kY0, kZ0}, 0, 0}, {{kX1, kY0, kZ1}, 1, 0}, {{kX1, kY1, kZ1}, 1, 1}, {{kX1, kY1, kZ0}, 0, 1}}},
};

Vec3 cornerAt(const Face& face, float s, float t)
{
    for (const Corner& c : face.corners) {
        if (c.s == s && c.t == t)
            return c.position;
    }
    ADD_FAILURE() << "no corner (" << s << ", " << t << ") in " << face.file;
    return {};
}

// The box point at (s, t): the faces are rectangles, so the mapping is affine.
Vec3 boxPoint(const Face& face, float s, float t)
{
    const Vec3 origin = cornerAt(face, 0, 0);
    return origin + (cornerAt(face, 1, 0) - origin) * s + (cornerAt(face, 0, 1) - origin) * t;
}

// (s, t) of a box point on this face, or false when it lies off the face.
bool faceCoordinates(const Face& face, Vec3 p, float& s, float& t)
{
    const Vec3 origin = cornerAt(face, 0, 0);
    const Vec3 sAxis = cornerAt(face, 1, 0) - origin;
    const Vec3 tAxis = cornerAt(face, 0, 1) - origin;
    const Vec3 normal = landscape::normalize(landscape::cross(sAxis, tAxis));
    if (std::fabs(dot(p - origin, normal)) > 0.01f)
        return false;
    s = dot(p - origin, sAxis) / dot(sAxis, sAxis);
    t = dot(p - origin, tAxis) / dot(tAxis, tAxis);
    return s >= -1e-4f && s <= 1.0001f && t >= -1e-4f && t <= 1.0001f;
}

// Decoded rows run from the picture's top; the file's first stored row, its
// bottom, is t = 0.
float texelS(int column, int size) { return (static_cast<float>(column) + 0.5f) / static_cast<float>(size); }
float texelT(int row, int size) { return 1.0f - (static_cast<float>(row) + 0.5f) / static_cast<float>(size); }
int columnOf(float s, int size)
{
    return std::clamp(static_cast<int>(std::floor(s * static_cast<float>(size))), 0, size - 1);
}
int rowOf(float t, int size)
{
    return std::clamp(static_cast<int>(std::floor((1.0f - t) * static_cast<float>(size))), 0, size - 1);
}

class SkyFaces : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        for (int f = 0; f < 6; ++f)
            pictures_[f] = decodeDefault(kFaces[f].file);
    }
    static Decoded pictures_[6];
};
Decoded SkyFaces::pictures_[6];

TEST_F(SkyFaces, BorderTexelsAgreeAlongAllTwelveEdges)
{
    std::set<std::pair<int, int>> edges;
    int worst = 0;
    for (int a = 0; a < 6; ++a) {
        const Decoded& pa = pictures_[a];
        const int n = pa.width;
        for (int k = 0; k < n; ++k) {
            // The four borders of face a, each point put on the edge itself.
            const struct {
                int column, row;
                float s, t;
            } border[4] = {
                {0, k, 0.0f, texelT(k, n)},
                {n - 1, k, 1.0f, texelT(k, n)},
                {k, 0, texelS(k, n), 1.0f},
                {k, n - 1, texelS(k, n), 0.0f},
            };
            for (const auto& here : border) {
                const Vec3 p = boxPoint(kFaces[a], here.s, here.t);
                for (int b = 0; b < 6; ++b) {
                    float s = 0.0f;
                    float t = 0.0f;
                    if (b == a || !faceCoordinates(kFaces[b], p, s, t))
                        continue;
                    edges.insert({std::min(a, b), std::max(a, b)});
                    const uint8_t* mine = pa.at(here.column, here.row);
                    const uint8_t* theirs = pictures_[b].at(columnOf(s, n), rowOf(t, n));
                    for (int c = 0; c < 3; ++c) {
                        const int difference = std::abs(mine[c] - theirs[c]);
                        worst = std::max(worst, difference);
                        EXPECT_LE(difference, 4) << kFaces[a].file << " (" << here.column << ", " << here.row
                                                 << ") against " << kFaces[b].file;
                    }
                }
            }
        }
    }
    EXPECT_EQ(edges.size(), 12u);
    RecordProperty("worst_channel_difference", worst);
}

// Full white is the sun and the glow nearest to it; the face table puts it
// where the terrain picture's light comes from. A face laid mirrored or
// turned would move it by tens of degrees.
TEST_F(SkyFaces, SunStandsWhereTheGroundIsLitFrom)
{
    Vec3 sum;
    int white = 0;
    for (int f = 0; f < 6; ++f) {
        const Decoded& p = pictures_[f];
        for (int y = 0; y < p.height; ++y) {
            for (int x = 0; x < p.width; ++x) {
                const uint8_t* c = p.at(x, y);
                if (c[0] < 255 || c[1] < 255 || c[2] < 255)
                    continue;
                sum = sum + landscape::normalize(boxPoint(kFaces[f], texelS(x, p.width), texelT(y, p.height)));
                ++white;
            }
        }
    }
    ASSERT_GT(white, 0);
    const Vec3 seen = landscape::normalize(sum);
    const float angle = std::acos(std::clamp(dot(seen, landscape::sunDirection()), -1.0f, 1.0f));
    EXPECT_LT(angle, 0.05f);
}

// Sky above, ground below: the walls stand upright, the top face is sky and
// the bottom face dark ground.
TEST_F(SkyFaces, WallsStandUprightOverDarkGround)
{
    auto rowMean = [](const Decoded& p, int row, int channel) {
        double sum = 0.0;
        for (int x = 0; x < p.width; ++x)
            sum += p.at(x, row)[channel];
        return sum / p.width;
    };
    auto pictureMean = [](const Decoded& p) {
        double sum = 0.0;
        for (size_t i = 0; i < p.pixels.size(); i += 4)
            sum += p.pixels[i] + p.pixels[i + 1] + p.pixels[i + 2];
        return sum / (3.0 * p.width * p.height);
    };
    for (int f : {0, 1, 4, 5}) {
        const Decoded& p = pictures_[f];
        SCOPED_TRACE(kFaces[f].file);
        EXPECT_GT(rowMean(p, 0, 2), rowMean(p, 0, 0) + 40.0);            // blue sky at the top
        EXPECT_GT(rowMean(p, 0, 2), rowMean(p, p.height - 1, 2) + 80.0); // dark ground at the foot
    }
    EXPECT_LT(pictureMean(pictures_[2]), 60.0);
    EXPECT_GT(pictureMean(pictures_[3]), 150.0);
}

// An imported place's sky: the viewer's fog grey below the horizon and on
// it, so the ground's edge meets haze, then clear sky above the haze (bluer
// than red on the whole, clouds and sun included), and no hill anywhere. The
// generated sky has hills just above the horizon.
TEST(OpenSky, HazeBelowAndOnTheHorizonClearSkyAbove)
{
    const landscape::SkyScene open = landscape::makeSkyScene(1, landscape::SkyHorizon::Open);
    const landscape::SkyScene hills = landscape::makeSkyScene(1);
    float blueAbove = 0.0f;
    int hillsSeen = 0;
    for (float azimuth = 0.0f; azimuth < 6.28f; azimuth += 0.1f) {
        const auto colour = [&](const landscape::SkyScene& scene, float up) {
            return landscape::skyColour(scene, {std::cos(up) * std::cos(azimuth), std::sin(up),
                                                std::cos(up) * std::sin(azimuth)});
        };
        for (const float up : {-1.5f, -0.01f, 0.0f}) {
            const Vec3 c = colour(open, up);
            EXPECT_TRUE(c.x == 0.8f && c.y == 0.8f && c.z == 0.8f) << azimuth << " " << up;
        }
        EXPECT_NEAR(colour(open, 0.02f).z, 0.8f, 0.06f);
        blueAbove += colour(open, 0.5f).z - colour(open, 0.5f).x;
        hillsSeen += colour(hills, 0.02f).x < 0.7f && colour(hills, 0.02f).z < colour(hills, 0.02f).x + 0.1f;
    }
    EXPECT_GT(blueAbove / 63, 0.15f);
    EXPECT_GT(hillsSeen, 32);
}

} // namespace
} // namespace landscape_test
