#include "vxm.h"

#include <cstdio>
#include <stdexcept>

namespace landscape {

int MeshBuilder::texture(const std::string& name)
{
    for (size_t i = 0; i < mesh_.textureNames.size(); ++i) {
        if (mesh_.textureNames[i] == name)
            return static_cast<int>(i);
    }
    if (static_cast<int>(mesh_.textureNames.size()) >= kMaxTextureNames) {
        throw std::length_error("too many texture names in one mesh");
    }
    if (name.empty() || static_cast<int>(name.size()) > kMaxTextureNameLength ||
        name.find_first_of(" \t\r\n") != std::string::npos) {
        throw std::invalid_argument("texture name unfit for a mesh file: " + name);
    }
    mesh_.textureNames.push_back(name);
    return static_cast<int>(mesh_.textureNames.size()) - 1;
}

void MeshBuilder::add(int textureIndex, const MeshPiece& piece)
{
    const int pieceVertices = static_cast<int>(piece.vertices.size());
    const int pieceTriangles = static_cast<int>(piece.triangles.size());
    if (pieceVertices > kMaxSubMeshVertices || pieceTriangles > kMaxSubMeshTriangles) {
        throw std::length_error("mesh piece larger than a sub-mesh");
    }

    SubMesh* target = nullptr;
    if (!mesh_.subMeshes.empty()) {
        SubMesh& last = mesh_.subMeshes.back();
        if (last.textureIndex == textureIndex &&
            static_cast<int>(last.vertices.size()) + pieceVertices <= kMaxSubMeshVertices &&
            static_cast<int>(last.triangles.size()) + pieceTriangles <= kMaxSubMeshTriangles) {
            target = &last;
        }
    }
    if (target == nullptr) {
        if (static_cast<int>(mesh_.subMeshes.size()) >= kMaxSubMeshes) {
            throw std::length_error("too many sub-meshes in one mesh");
        }
        mesh_.subMeshes.push_back(SubMesh{textureIndex, {}, {}});
        target = &mesh_.subMeshes.back();
    }

    const int offset = static_cast<int>(target->vertices.size());
    target->vertices.insert(target->vertices.end(), piece.vertices.begin(), piece.vertices.end());
    for (const MeshTriangle& tri : piece.triangles) {
        target->triangles.push_back({tri.a + offset, tri.b + offset, tri.c + offset});
    }
}

std::string formatVxm(const Mesh& mesh)
{
    std::string text;
    char line[160];
    auto append = [&](int length) {
        if (length < 0 || length >= static_cast<int>(sizeof line)) {
            throw std::runtime_error("mesh line does not fit");
        }
        text.append(line, static_cast<size_t>(length));
    };

    append(std::snprintf(line, sizeof line, "%d\n", static_cast<int>(mesh.subMeshes.size())));
    for (const SubMesh& sub : mesh.subMeshes) {
        append(std::snprintf(line, sizeof line, "%d\n", sub.textureIndex));
        append(std::snprintf(line, sizeof line, "%d\n", static_cast<int>(sub.vertices.size())));
        for (const MeshVertex& v : sub.vertices) {
            append(std::snprintf(line, sizeof line, "%f %f %f %f %f\n", static_cast<double>(v.x),
                                 static_cast<double>(v.y), static_cast<double>(v.z), static_cast<double>(v.u),
                                 static_cast<double>(v.v)));
        }
        append(std::snprintf(line, sizeof line, "%d\n", static_cast<int>(sub.triangles.size())));
        for (const MeshTriangle& t : sub.triangles) {
            append(std::snprintf(line, sizeof line, "%d %d %d\n", t.a, t.b, t.c));
        }
    }
    append(std::snprintf(line, sizeof line, "%d\n", static_cast<int>(mesh.textureNames.size())));
    for (const std::string& name : mesh.textureNames)
        text += name + "\n";
    return text;
}

} // namespace landscape
