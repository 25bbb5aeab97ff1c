#pragma once
// Static models read from ".vxm" text files: up to kMaxSubMeshes textured
// triangle lists, each with its own vertices, and the BMP pictures they name.
// The record has fixed capacity and no heap storage. A file that does not fit
// it, or does not parse, is read up to the first fault; what was read before
// stays, and every triangle kept indexes its own sub-mesh's vertices.

#include "assets/image.h"

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

struct MeshModel {
    int32_t subMeshCount;
    SubMesh subMeshes[kMaxSubMeshes];
    int32_t textureCount;
    int32_t textureIndices[kMaxSubMeshes]; // entry i: the picture of sub-mesh i
    GLuint textures[kMaxMeshTextures];     // entry k: made from picture name k

    // Reads the named file and makes its textures. A file that cannot be
    // opened, or whose reading stops at a fault, shows one box titled "Error"
    // naming it; the model keeps what was read before the fault. A picture
    // that cannot be made stops the reading there with EndProcess, and no box
    // of its own beyond the reader's.
    LoadOutcome load(const char* fileName);

    // Each sub-mesh binds its texture (name 0 where the index names no
    // picture), sets white and sends one GL_TRIANGLES batch per triangle.
    // Expects 2-D texturing on; changes nothing else.
    void draw() const;
};

// Makes texture `index` of a model from the named picture: loadMeshTexture in
// the viewer, something harmless in tools, tests and fuzzers. EndProcess stops
// the reading at once.
using MeshTextureMaker = LoadOutcome (*)(GLuint* textures, const char* fileName, int index);

// The text of the one box that load shows: "Could not WHAT mesh file NAME",
// then ": REASON" when there is one; cut to fit.
constexpr int kMeshMessageBytes = 256;
void formatMeshMessage(const char* what, const char* fileName, const char* reason, char (&text)[kMeshMessageBytes]);

// What parseMesh returns when the texture maker said the process must end.
extern const char* const kMeshPictureEndsProcess;

// Empties the model, then reads the text of a .vxm file into it, calling
// makeTexture for each picture name in order. Never reads outside text[0,
// size) nor writes outside the model. Returns nullptr when the whole file was
// read, otherwise what stopped the reading. The model must start zeroed (as
// static and value-initialised records do) or hold what this filled before.
const char* parseMesh(const char* text, size_t size, MeshModel& model, MeshTextureMaker makeTexture);
