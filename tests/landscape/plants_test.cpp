// The palm and grass meshes: read back by a strict reader of the .vxm
// grammar written here, checked against the capacities of the viewer's mesh
// records, the files they name, and the sizes the scene needs.
#include "generated_set.h"
#include "vxm.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <sstream>

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

// Reads every token as the grammar says, failing the test on anything else.
ParsedMesh parseVxm(const std::string& text)
{
    ParsedMesh mesh;
    std::istringstream in(text);
    int subMeshes = -1;
    EXPECT_TRUE(in >> subMeshes);
    EXPECT_GE(subMeshes, 1);
    EXPECT_LE(subMeshes, landscape::kMaxSubMeshes);
    for (int i = 0; i < subMeshes && in; ++i) {
        int texture = -1;
        int vertexCount = -1;
        EXPECT_TRUE(in >> texture >> vertexCount);
        EXPECT_GE(vertexCount, 3);
        EXPECT_LE(vertexCount, landscape::kMaxSubMeshVertices);
        mesh.textureIndices.push_back(texture);
        std::vector<Vertex> vertices(static_cast<size_t>(std::max(vertexCount, 0)));
        for (Vertex& v : vertices) {
            EXPECT_TRUE(in >> v.x >> v.y >> v.z >> v.u >> v.v);
            mesh.lowest = std::min(mesh.lowest, v.y);
            mesh.highest = std::max(mesh.highest, v.y);
        }
        int triangleCount = -1;
        EXPECT_TRUE(in >> triangleCount);
        EXPECT_GE(triangleCount, 1);
        EXPECT_LE(triangleCount, landscape::kMaxSubMeshTriangles);
        std::vector<int> indices(static_cast<size_t>(std::max(triangleCount, 0)) * 3);
        for (int& index : indices) {
            EXPECT_TRUE(in >> index);
            EXPECT_GE(index, 0);
            EXPECT_LT(index, vertexCount);
        }
        mesh.triangles += triangleCount;
        mesh.subMeshVertices.push_back(std::move(vertices));
        mesh.subMeshIndices.push_back(std::move(indices));
    }
    int nameCount = -1;
    EXPECT_TRUE(in >> nameCount);
    EXPECT_GE(nameCount, 1);
    EXPECT_LE(nameCount, landscape::kMaxTextureNames);
    for (int k = 0; k < nameCount && in; ++k) {
        std::string name;
        EXPECT_TRUE(in >> name);
        EXPECT_LE(name.size(), 63u);
        mesh.names.push_back(name);
    }
    std::string rest;
    EXPECT_FALSE(in >> rest) << "trailing text: " << rest;
    for (int texture : mesh.textureIndices) {
        EXPECT_GE(texture, 0);
        EXPECT_LT(texture, nameCount);
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
    double minHeight, maxHeight;  // highest vertex above the mesh origin
    int minTriangles, maxTriangles;
};

// Palms 40 to 80 tall (the eye is 5.5 above the ground), tufts 3 to 6. The
// origin palm is drawn without a display list every frame, the grass a
// thousand times: both are kept small.
const MeshBudget kBudgets[] = {
    {"palme4.vxm", 40.0, 80.0, 300, 2000},
    {"palmect.vxm", 40.0, 80.0, 300, 1200},
    {"palme2ct.vxm", 40.0, 80.0, 300, 1200},
    {"palme3ct.vxm", 40.0, 80.0, 300, 1200},
    {"grass2.vxm", 3.0, 6.0, 12, 40},
};

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
        EXPECT_GE(mesh.triangles, budget.minTriangles);
        EXPECT_LE(mesh.triangles, budget.maxTriangles);
        // Set into the ground (palms 2.5 below it, tufts 1), nothing hangs far below.
        EXPECT_GT(mesh.lowest, -2.5);
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

// The builder keeps any mesh within the capacities, at N and N + 1.
landscape::MeshPiece pieceOf(int vertices, int triangles)
{
    landscape::MeshPiece piece;
    for (int i = 0; i < vertices; ++i) piece.addVertex({static_cast<float>(i), 0, 0, 0, 0});
    for (int i = 0; i < triangles; ++i) piece.addTriangle(0, 1, 2);
    return piece;
}

TEST(MeshBuilder, OpensANewSubMeshWhenAPieceWouldOverflow)
{
    landscape::MeshBuilder builder;
    const int texture = builder.texture("a.bmp");
    builder.add(texture, pieceOf(250, 10));
    builder.add(texture, pieceOf(250, 10));  // exactly 500 vertices: still one
    EXPECT_EQ(builder.mesh().subMeshes.size(), 1u);
    builder.add(texture, pieceOf(3, 1));
    ASSERT_EQ(builder.mesh().subMeshes.size(), 2u);
    // Indices of the moved piece point into its own sub-mesh.
    EXPECT_EQ(builder.mesh().subMeshes[0].triangles[10].a, 250);
    EXPECT_EQ(builder.mesh().subMeshes[1].triangles[0].a, 0);

    builder.add(texture, pieceOf(3, 499));
    builder.add(texture, pieceOf(3, 1));  // 501 triangles would not fit
    EXPECT_EQ(builder.mesh().subMeshes.size(), 3u);

    const int other = builder.texture("b.bmp");
    builder.add(other, pieceOf(3, 1));  // another texture: its own sub-mesh
    EXPECT_EQ(builder.mesh().subMeshes.size(), 4u);
    EXPECT_EQ(builder.mesh().subMeshes.back().textureIndex, other);
}

TEST(MeshBuilder, RefusesWhatNoSubMeshOrNameCanHold)
{
    landscape::MeshBuilder builder;
    const int texture = builder.texture("a.bmp");
    EXPECT_THROW(builder.add(texture, pieceOf(501, 1)), std::length_error);
    EXPECT_THROW(builder.add(texture, pieceOf(3, 501)), std::length_error);
    for (int i = 0; i < 100; ++i) builder.add(texture, pieceOf(300, 1));
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
