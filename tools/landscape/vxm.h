// Static meshes in the viewer's `.vxm` text form: sub-meshes of textured
// triangles, each with its own vertex list, then the BMP names they use.
// The viewer's mesh records have fixed capacities, and it reads a file beyond
// them only up to the first thing that does not fit, with a message; so the
// builder keeps every mesh within them: a piece that would overflow its
// sub-mesh opens a new one.
#pragma once

#include "assets/mesh_model.h"

#include <string>
#include <vector>

namespace landscape {

// The viewer's own capacities, so that the two can never drift apart.
constexpr int kMaxSubMeshes = ::kMaxSubMeshes;
constexpr int kMaxSubMeshVertices = ::kMaxSubMeshVertices;
constexpr int kMaxSubMeshTriangles = ::kMaxSubMeshTriangles;
constexpr int kMaxTextureNames = ::kMaxMeshTextures;
constexpr int kMaxTextureNameLength = 63; // characters, no white space

struct MeshVertex {
    float x, y, z; // model units; the viewer draws every mesh unrotated and unscaled
    float u, v;    // texture coordinates; textures repeat
};

struct MeshTriangle {
    int a, b, c; // indices into the sub-mesh's own vertices
};

struct SubMesh {
    int textureIndex = 0;
    std::vector<MeshVertex> vertices;
    std::vector<MeshTriangle> triangles;
};

struct Mesh {
    std::vector<SubMesh> subMeshes;
    std::vector<std::string> textureNames;
};

// A connected part of a mesh (one frond, one blade, a trunk) with indices
// into its own vertex list.
struct MeshPiece {
    std::vector<MeshVertex> vertices;
    std::vector<MeshTriangle> triangles;

    int addVertex(MeshVertex vertex)
    {
        vertices.push_back(vertex);
        return static_cast<int>(vertices.size()) - 1;
    }
    void addTriangle(int a, int b, int c) { triangles.push_back({a, b, c}); }
};

class MeshBuilder {
public:
    // Index of the named texture, adding it on first use.
    int texture(const std::string& name);

    // Appends the piece to the open sub-mesh of that texture, or opens a new
    // one when it would not fit. Throws std::length_error when the piece
    // alone exceeds a sub-mesh or the mesh runs out of sub-meshes or names.
    void add(int textureIndex, const MeshPiece& piece);

    const Mesh& mesh() const { return mesh_; }

private:
    Mesh mesh_;
};

// The file text: counts and indices as integers, vertices as five numbers
// with six decimals, one item per line.
std::string formatVxm(const Mesh& mesh);

} // namespace landscape
