// The palm and grass meshes: read back by the viewer's own mesh reader,
// checked against the capacities of its records, the files they name, and
// the sizes the scene needs.
#include "support/generated_set.h"
#include "plants.h"
#include "vxm.h"

#include "assets/mesh_model.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <memory>

namespace landscape_test {
namespace {

struct Vertex {
    double x, y, z, u, v;
};

struct ParsedMesh {
    std::vector<std::vector<Vertex>> subMeshVertices;
    std::vector<std::vector<int>> subMeshIndices;
    std::vector<int> textureIndices;
    std::vector<std::string> names;
    int triangles = 0;
    double lowest = 1e9, highest = -1e9;
};

// Picture names in the order the reader hands them over.
std::vector<std::string>* pictureNames = nullptr;

Report recordPictureName(GLuint*, const char* fileName, int)
{
    pictureNames->emplace_back(fileName);
    return {};
}

// Reads the file as the viewer does, failing the test where the reader stops
// early or where a part is empty or names no picture.
ParsedMesh parseVxm(const std::string& text)
{
    ParsedMesh mesh;
    auto model = std::make_unique<MeshModel>();
    pictureNames = &mesh.names;
    const char* fault = parseMesh(text.data(), text.size(), *model, recordPictureName);
    pictureNames = nullptr;
    EXPECT_EQ(fault, nullptr) << (fault ? fault : "");
    EXPECT_GE(model->subMeshCount, 1);
    EXPECT_GE(model->textureCount, 1);
    for (int i = 0; i < model->subMeshCount; ++i) {
        const SubMesh& sub = model->subMeshes[i];
        EXPECT_GE(sub.vertexCount, 3);
        EXPECT_GE(sub.triangleCount, 1);
        EXPECT_LT(model->textureIndices[i], model->textureCount);
        mesh.textureIndices.push_back(model->textureIndices[i]);
        std::vector<Vertex> vertices;
        for (int v = 0; v < sub.vertexCount; ++v) {
            const MeshVertex& m = sub.vertices[v];
            vertices.push_back({m.x, m.y, m.z, m.u, m.v});
            mesh.lowest = std::min(mesh.lowest, double(m.y));
            mesh.highest = std::max(mesh.highest, double(m.y));
        }
        std::vector<int> indices;
        for (int t = 0; t < sub.triangleCount; ++t)
            indices.insert(indices.end(), sub.triangles[t], sub.triangles[t] + 3);
        mesh.triangles += sub.triangleCount;
        mesh.subMeshVertices.push_back(std::move(vertices));
        mesh.subMeshIndices.push_back(std::move(indices));
    }
    return mesh;
}

ParsedMesh parseDefault(const std::string& file)
{
    const std::vector<uint8_t>& bytes = defaultFile(file);
    return parseVxm(std::string(bytes.begin(), bytes.end()));
}

struct MeshBudget {
    const char* file;
    double minHeight, maxHeight; // highest vertex above the mesh origin
    int minTriangles, maxTriangles;
};

// Palms 40 to 80 tall (the eye is 5.5 above the ground), tufts 3 to 6. A
// couple of hundred palms and several hundred tufts are drawn in a frame, one
// batch per triangle, so each kind has a ceiling; the origin palm, seen close
// up, may have about twice a kind's. The floors catch a mesh that lost its
// fronds or blades. These are the leanest level's; each level up doubles them.
const MeshBudget kBudgets[] = {
    {"palme4.vxm", 40.0, 80.0, 60, 120},  {"palmect.vxm", 40.0, 80.0, 24, 60}, {"palme2ct.vxm", 40.0, 80.0, 24, 60},
    {"palme3ct.vxm", 40.0, 80.0, 24, 60}, {"grass2.vxm", 3.0, 6.0, 6, 12},
};
// The default set is made at the default level.
const int kDetailFactor = 1 << (landscape::kDefaultDetail - 1);

TEST(Meshes, ParseWithinTheViewerLimitsAndNameFilesThatExist)
{
    for (const MeshBudget& budget : kBudgets) {
        SCOPED_TRACE(budget.file);
        const ParsedMesh mesh = parseDefault(budget.file);
        for (const std::string& name : mesh.names) {
            EXPECT_TRUE(std::filesystem::exists(defaultSetFolder() / name)) << name;
            EXPECT_EQ(decodeDefault(name).channels, 3) << name;
        }
    }
}

TEST(Meshes, HaveTheirSizeAndTriangleBudget)
{
    for (const MeshBudget& budget : kBudgets) {
        SCOPED_TRACE(budget.file);
        const ParsedMesh mesh = parseDefault(budget.file);
        EXPECT_GE(mesh.highest, budget.minHeight);
        EXPECT_LE(mesh.highest, budget.maxHeight);
        EXPECT_GE(mesh.triangles, budget.minTriangles * kDetailFactor);
        EXPECT_LE(mesh.triangles, budget.maxTriangles * kDetailFactor);
        // Set into the ground (palms 2.5 below it, tufts 1), nothing hangs far below.
        EXPECT_GT(mesh.lowest, -2.5);
    }
}

// Twice the area of each triangle: a sliver adds a batch and shows nothing.
std::vector<double> doubledAreas(const ParsedMesh& mesh)
{
    std::vector<double> areas;
    for (size_t i = 0; i < mesh.subMeshVertices.size(); ++i) {
        const std::vector<Vertex>& v = mesh.subMeshVertices[i];
        const std::vector<int>& index = mesh.subMeshIndices[i];
        for (size_t t = 0; t + 2 < index.size(); t += 3) {
            const Vertex& a = v[static_cast<size_t>(index[t])];
            const Vertex& b = v[static_cast<size_t>(index[t + 1])];
            const Vertex& c = v[static_cast<size_t>(index[t + 2])];
            const double ux = b.x - a.x, uy = b.y - a.y, uz = b.z - a.z;
            const double wx = c.x - a.x, wy = c.y - a.y, wz = c.z - a.z;
            areas.push_back(std::hypot(uy * wz - uz * wy, uz * wx - ux * wz, ux * wy - uy * wx));
        }
    }
    return areas;
}

TEST(Meshes, EveryTriangleHasArea)
{
    for (const MeshBudget& budget : kBudgets) {
        SCOPED_TRACE(budget.file);
        for (double area : doubledAreas(parseDefault(budget.file)))
            EXPECT_GT(area, 0.05);
    }
}

// The fronds make the palm: above the trunk's top they reach well out from
// it in every direction, so a crown is seen from any side.
TEST(Meshes, PalmCrownsSpreadAllRound)
{
    for (const char* file : {"palme4.vxm", "palmect.vxm", "palme2ct.vxm", "palme3ct.vxm"}) {
        SCOPED_TRACE(file);
        const ParsedMesh mesh = parseDefault(file);
        // The crown's centre: the highest vertex of the bark sub-mesh (the first).
        ASSERT_FALSE(mesh.subMeshVertices.empty());
        Vertex top = mesh.subMeshVertices[0][0];
        for (const Vertex& v : mesh.subMeshVertices[0]) {
            if (v.y > top.y)
                top = v;
        }
        double reach[4] = {0, 0, 0, 0}; // farthest vertex per quarter around the top
        for (size_t i = 1; i < mesh.subMeshVertices.size(); ++i) {
            for (const Vertex& v : mesh.subMeshVertices[i]) {
                const double dx = v.x - top.x, dz = v.z - top.z;
                const int quarter = (dx >= 0 ? 0 : 1) + (dz >= 0 ? 0 : 2);
                reach[quarter] = std::max(reach[quarter], std::hypot(dx, dz));
            }
        }
        for (double r : reach)
            EXPECT_GT(r, 8.0);
    }
}

TEST(Meshes, OriginPalmStandsAtTheOriginOnTheGround)
{
    const ParsedMesh mesh = parseDefault("palme4.vxm");
    // Its foot: the vertices at the very bottom of the trunk.
    double sx = 0.0, sz = 0.0;
    int count = 0;
    for (const auto& vertices : mesh.subMeshVertices) {
        for (const Vertex& v : vertices) {
            if (std::fabs(v.y) < 1e-6) {
                sx += v.x;
                sz += v.z;
                ++count;
            }
        }
    }
    ASSERT_GT(count, 0);
    EXPECT_LT(std::hypot(sx / count, sz / count), 6.0);
}

TEST(Meshes, ThreePalmKindsDiffer)
{
    const ParsedMesh kinds[3] = {parseDefault("palmect.vxm"), parseDefault("palme2ct.vxm"),
                                 parseDefault("palme3ct.vxm")};
    for (int a = 0; a < 3; ++a) {
        for (int b = a + 1; b < 3; ++b) {
            EXPECT_GT(std::fabs(kinds[a].highest - kinds[b].highest), 4.0) << a << " and " << b;
            EXPECT_NE(kinds[a].triangles, kinds[b].triangles) << a << " and " << b;
        }
    }
}

landscape::PalmShape plainPalm()
{
    landscape::PalmShape shape;
    shape.trunkHeight = 50.0f;
    shape.lean = {4.0f, 0.0f, 0.0f};
    shape.footRadius = 1.5f;
    shape.topRadius = 1.0f;
    shape.trunkSides = 4;
    shape.trunkSegments = 3;
    shape.fronds = 6;
    shape.frondSamples = 3;
    shape.frondLength = 20.0f;
    shape.frondLift = 0.5f;
    shape.frondDroop = 1.8f;
    shape.leafletLength = 5.0f;
    shape.leafletDroop = 0.5f;
    shape.barkTexture = "bark.bmp";
    shape.frondTexture = "frond.bmp";
    return shape;
}

int triangleCount(const landscape::Mesh& mesh)
{
    int count = 0;
    for (const landscape::SubMesh& sub : mesh.subMeshes)
        count += static_cast<int>(sub.triangles.size());
    return count;
}

TEST(PalmBuilder, RefusesCountsBelowTheLeastAndBuildsAtThem)
{
    struct Case {
        const char* what;
        int landscape::PalmShape::*count;
        int least;
    };
    const Case cases[] = {
        {"trunk sides", &landscape::PalmShape::trunkSides, 3},
        {"trunk segments", &landscape::PalmShape::trunkSegments, 1},
        {"fronds", &landscape::PalmShape::fronds, 1},
        {"frond segments", &landscape::PalmShape::frondSamples, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        landscape::PalmShape shape = plainPalm();
        shape.*c.count = c.least - 1;
        EXPECT_THROW(landscape::buildPalm(shape, 1), std::invalid_argument);
        shape.*c.count = c.least;
        EXPECT_NO_THROW(landscape::buildPalm(shape, 1));
    }

    // The least palm of all: a triangular tube of one segment (6 triangles)
    // and one frond of one segment, a leaflet either side.
    landscape::PalmShape least = plainPalm();
    least.trunkSides = 3;
    least.trunkSegments = 1;
    least.fronds = 1;
    least.frondSamples = 1;
    const landscape::Mesh mesh = landscape::buildPalm(least, 1);
    ASSERT_EQ(mesh.subMeshes.size(), 2u);
    EXPECT_EQ(mesh.subMeshes[0].triangles.size(), 6u);
    EXPECT_EQ(mesh.subMeshes[1].triangles.size(), 2u);
}

// The bark's rings keep their spacing along the trunk, so a trunk of few
// segments shows as many rings as one of many.
TEST(PalmBuilder, BarkRingsFollowTheTrunksLengthNotItsSegments)
{
    auto topV = [](int segments) {
        landscape::PalmShape shape = plainPalm();
        shape.trunkSegments = segments;
        const landscape::Mesh palm = landscape::buildPalm(shape, 1);
        const landscape::SubMesh& bark = palm.subMeshes[0];
        float highest = -1.0f, v = 0.0f;
        for (const landscape::MeshVertex& vertex : bark.vertices) {
            if (vertex.y > highest) {
                highest = vertex.y;
                v = vertex.v;
            }
        }
        return v;
    };
    const float coarse = topV(2);
    const float fine = topV(12);
    EXPECT_GT(fine, 3.0f); // a 50-unit trunk holds several repeats of four rings
    EXPECT_NEAR(coarse, fine, 0.03f * fine);
}

TEST(PalmBuilder, MoreDetailCostsTrianglesInTrunkAndFronds)
{
    const int plain = triangleCount(landscape::buildPalm(plainPalm(), 7));
    landscape::PalmShape rounder = plainPalm();
    rounder.trunkSides = 5;
    landscape::PalmShape fuller = plainPalm();
    fuller.fronds = 7;
    EXPECT_GT(triangleCount(landscape::buildPalm(rounder, 7)), plain);
    EXPECT_GT(triangleCount(landscape::buildPalm(fuller, 7)), plain);
    // The seed turns and bends the fronds but never adds to the cost.
    EXPECT_EQ(triangleCount(landscape::buildPalm(plainPalm(), 8)), plain);
}

// Each level up about doubles every mesh, a rounder trunk among it, within
// the viewer's capacities even for a palm as rich as the origin palm.
TEST(Detail, EachLevelUpDoublesTrianglesWithinTheCapacities)
{
    landscape::PalmShape rich = plainPalm();
    rich.trunkSides = 5;
    rich.trunkSegments = rich.frondSamples = 4;
    rich.fronds = 7;
    for (const landscape::PalmShape& leanest : {plainPalm(), rich}) {
        const double base = triangleCount(landscape::buildPalm(leanest, 3));
        for (int level = landscape::kLeastDetail + 1; level <= landscape::kMostDetail; ++level) {
            SCOPED_TRACE(level);
            const landscape::PalmShape shape = landscape::atDetail(leanest, level);
            const double ratio = triangleCount(landscape::buildPalm(shape, 3)) / base / (1 << (level - 1));
            EXPECT_GT(ratio, 0.75);
            EXPECT_LT(ratio, 1.3);
            EXPECT_GT(shape.trunkSides, landscape::atDetail(leanest, level - 1).trunkSides);
            EXPECT_EQ(triangleCount(landscape::buildGrassTuft(3, "b.bmp", level)),
                      landscape::kGrassBlades << (level - 1));
        }
    }
    EXPECT_THROW(landscape::atDetail(rich, landscape::kMostDetail + 1), std::invalid_argument);
}

// Whatever the seed, a tuft keeps its blades, its height and its footing.
TEST(GrassBuilder, EverySeedGivesASmallTuftOfStandingBlades)
{
    for (uint64_t seed = 1; seed <= 64; ++seed) {
        SCOPED_TRACE(seed);
        const landscape::Mesh tuft = landscape::buildGrassTuft(seed, "blade.bmp");
        ASSERT_EQ(tuft.subMeshes.size(), 1u);
        const landscape::SubMesh& blades = tuft.subMeshes[0];
        EXPECT_EQ(static_cast<int>(blades.triangles.size()), landscape::kGrassBlades);
        float highest = 0.0f;
        for (const landscape::MeshVertex& v : blades.vertices) {
            EXPECT_GE(v.y, 0.0f);
            if (v.y == 0.0f) {
                EXPECT_LT(std::hypot(v.x, v.z), 0.7f); // rooted near the tuft's centre
            }
            highest = std::max(highest, v.y);
        }
        EXPECT_GE(highest, 3.0f);
        EXPECT_LE(highest, 6.0f);
    }
}

// The builder keeps any mesh within the capacities, at N and N + 1.
landscape::MeshPiece pieceOf(int vertices, int triangles)
{
    landscape::MeshPiece piece;
    for (int i = 0; i < vertices; ++i)
        piece.addVertex({static_cast<float>(i), 0, 0, 0, 0});
    for (int i = 0; i < triangles; ++i)
        piece.addTriangle(0, 1, 2);
    return piece;
}

TEST(MeshBuilder, OpensANewSubMeshWhenAPieceWouldOverflow)
{
    landscape::MeshBuilder builder;
    const int texture = builder.texture("a.bmp");
    builder.add(texture, pieceOf(250, 10));
    builder.add(texture, pieceOf(250, 10)); // exactly 500 vertices: still one
    EXPECT_EQ(builder.mesh().subMeshes.size(), 1u);
    builder.add(texture, pieceOf(3, 1));
    ASSERT_EQ(builder.mesh().subMeshes.size(), 2u);
    // Indices of the moved piece point into its own sub-mesh.
    EXPECT_EQ(builder.mesh().subMeshes[0].triangles[10].a, 250);
    EXPECT_EQ(builder.mesh().subMeshes[1].triangles[0].a, 0);

    builder.add(texture, pieceOf(3, 499));
    builder.add(texture, pieceOf(3, 1)); // 501 triangles would not fit
    EXPECT_EQ(builder.mesh().subMeshes.size(), 3u);

    const int other = builder.texture("b.bmp");
    builder.add(other, pieceOf(3, 1)); // another texture: its own sub-mesh
    EXPECT_EQ(builder.mesh().subMeshes.size(), 4u);
    EXPECT_EQ(builder.mesh().subMeshes.back().textureIndex, other);
}

TEST(MeshBuilder, RefusesWhatNoSubMeshOrNameCanHold)
{
    landscape::MeshBuilder builder;
    const int texture = builder.texture("a.bmp");
    EXPECT_THROW(builder.add(texture, pieceOf(501, 1)), std::length_error);
    EXPECT_THROW(builder.add(texture, pieceOf(3, 501)), std::length_error);
    for (int i = 0; i < 100; ++i)
        builder.add(texture, pieceOf(300, 1));
    EXPECT_THROW(builder.add(texture, pieceOf(300, 1)), std::length_error);

    EXPECT_NO_THROW(builder.texture(std::string(63, 'n')));
    EXPECT_THROW(builder.texture(std::string(64, 'n')), std::invalid_argument);
    EXPECT_THROW(builder.texture("two words.bmp"), std::invalid_argument);
    for (int i = static_cast<int>(builder.mesh().textureNames.size()); i < 100; ++i) {
        builder.texture("t" + std::to_string(i) + ".bmp");
    }
    EXPECT_THROW(builder.texture("one-too-many.bmp"), std::length_error);
}

TEST(MeshText, ReadsBackAsWritten)
{
    landscape::MeshBuilder builder;
    landscape::MeshPiece piece;
    piece.addVertex({1.5f, -2.25f, 3.0f, 0.5f, 0.25f});
    piece.addVertex({0.0f, 1.0f, 0.0f, 1.0f, 0.0f});
    piece.addVertex({-4.0f, 0.0f, 2.0f, 0.0f, 1.0f});
    piece.addTriangle(2, 0, 1);
    builder.add(builder.texture("bark.bmp"), piece);

    const ParsedMesh mesh = parseVxm(landscape::formatVxm(builder.mesh()));
    ASSERT_EQ(mesh.subMeshVertices.size(), 1u);
    const Vertex& v = mesh.subMeshVertices[0][0];
    EXPECT_DOUBLE_EQ(v.x, 1.5);
    EXPECT_DOUBLE_EQ(v.y, -2.25);
    EXPECT_DOUBLE_EQ(v.u, 0.5);
    EXPECT_DOUBLE_EQ(v.v, 0.25);
    EXPECT_EQ(mesh.subMeshIndices[0], (std::vector<int>{2, 0, 1}));
    EXPECT_EQ(mesh.names, (std::vector<std::string>{"bark.bmp"}));
}

} // namespace
} // namespace landscape_test
