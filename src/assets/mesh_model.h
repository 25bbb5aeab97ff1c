#pragma once
// Static models read from ".vxm" text files: up to kMaxSubMeshes textured
// triangle lists, each with its own vertices, and the BMP pictures they name.
// The record has fixed capacity and no heap storage. A file that does not fit
// it, or does not parse, is read up to the first fault; what was read before
// stays, and every triangle kept indexes its own sub-mesh's vertices.

#include "assets/bmp_texture.h"
#include "assets/load_outcome.h"

#include <GL/gl.h>

#include <cstddef>
#include <cstdint>

constexpr int kMaxSubMeshes = 100;
constexpr int kMaxSubMeshVertices = 500;
constexpr int kMaxSubMeshTriangles = 500;
constexpr int kMaxMeshTextures = 100;
constexpr int kMaxMeshTextureNameLength = 63; // characters, no white space

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

// Makes texture `index` of a model from the named picture: loadMeshTexture in
// the viewer, something harmless in tools, tests and fuzzers. A failed report
// stops the reading at once.
using MeshTextureMaker = Report (*)(GLuint* textures, const char* fileName, int index);

struct MeshModel {
    int32_t subMeshCount;
    SubMesh subMeshes[kMaxSubMeshes];
    int32_t textureCount;
    int32_t textureIndices[kMaxSubMeshes]; // entry i: the picture of sub-mesh i
    GLuint textures[kMaxMeshTextures];     // entry k: made from picture name k

    // Reads the named file and makes its textures with makeTexture. A file
    // that cannot be opened, or whose reading stops at a fault, fails with one
    // message: "Could not open mesh file NAME", or "Could not read mesh file
    // NAME: REASON", cut to fit; the model keeps what was read before the
    // fault. A picture that cannot be made stops the reading there: the
    // picture reader's report, as Failure::NamedPicture.
    Report load(const char* fileName, MeshTextureMaker makeTexture = loadMeshTexture);

    // Each sub-mesh binds its texture (name 0 where the index names no
    // picture), sets white and sends one GL_TRIANGLES batch per triangle.
    // Expects 2-D texturing on; changes nothing else.
    void draw() const;
};

// What parseMesh returns when a picture could not be made.
extern const char* const kMeshPictureFailed;

// Empties the model, then reads the text of a .vxm file into it, calling
// makeTexture for each picture name in order. Never reads outside text[0,
// size) nor writes outside the model. Returns nullptr when the whole file was
// read, otherwise what stopped the reading; where that is a picture, its
// report goes to pictureReport when given. The model must start zeroed (as
// static and value-initialised records do) or hold what this filled before.
const char* parseMesh(const char* text, size_t size, MeshModel& model, MeshTextureMaker makeTexture,
                      Report* pictureReport = nullptr);
