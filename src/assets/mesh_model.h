#pragma once
// Static models read from ".vxm" text files: up to kMaxSubMeshes textured
// triangle lists, each with its own vertices, and the BMP pictures they name.
// The record has fixed capacity and no heap storage.

#include <GL/gl.h>

#include <cstddef>
#include <cstdint>

constexpr int kMaxSubMeshes = 100;
constexpr int kMaxSubMeshVertices = 500;
constexpr int kMaxSubMeshTriangles = 500;
constexpr int kMaxMeshTextures = 100;

struct MeshVertex {
    float x, y, z; // model units
    float u, v;    // texture coordinate
};

struct SubMesh {
    int32_t triangleCount;
    int32_t vertexCount;
    int32_t triangles[kMaxSubMeshTriangles][3]; // vertex indices, drawing order
    MeshVertex vertices[kMaxSubMeshVertices];
};

struct MeshModel {
    int32_t subMeshCount;
    SubMesh subMeshes[kMaxSubMeshes];
    int32_t textureCount;
    int32_t textureIndices[kMaxSubMeshes]; // entry i: the picture of sub-mesh i
    GLuint textures[kMaxMeshTextures];     // entry k: made from picture name k

    void load(const char* fileName);
    void draw() const;
};

// Makes texture `index` of a model from the named picture: loadMeshTexture in
// the viewer, something harmless in tools, tests and fuzzers.
using MeshTextureMaker = void (*)(GLuint* textures, const char* fileName, int index);

// Reads the text of a .vxm file into an all-zero model, calling makeTexture for
// each picture name. Returns nullptr when the whole file was read, otherwise
// what stopped the reading (the model keeps what was read within bounds).
const char* parseMesh(const char* text, size_t size, MeshModel& model, MeshTextureMaker makeTexture);
