#include "fuzz/reader_checks.h"

#include "assets/dib_image.h"
#include "assets/geo_reference.h"
#include "assets/mesh_model.h"
#include "assets/tga_image.h"
#include "terrain/height_map.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

// Little-endian fields, or 0 past the end: a picture decoded from a file too
// short for its header is caught separately.
uint32_t le16(const uint8_t* bytes, size_t size, size_t at)
{
    return at + 2 <= size ? uint32_t{bytes[at]} | uint32_t{bytes[at + 1]} << 8 : 0;
}

uint32_t le32(const uint8_t* bytes, size_t size, size_t at)
{
    return at + 4 <= size ? le16(bytes, size, at) | le16(bytes, size, at + 2) << 16 : 0;
}

// The fuzzers decode under a small limit, so that every run is quick and the
// limit's refusal is reached often.
constexpr uint64_t kFuzzMostPixels = 1 << 16;

const char* checkPixelBuffer(const Image& image)
{
    if (image.width < 0 || image.height < 0)
        return "negative dimensions";
    const uint64_t expected = uint64_t(image.width) * uint64_t(image.height) * uint64_t(image.components);
    if (image.pixels.size() != expected)
        return "pixel buffer is not width x height x components bytes";
    if (uint64_t(image.width) * uint64_t(image.height) > kFuzzMostPixels)
        return "more pixels than the limit";
    if (image.missingRows < 0 || image.missingRows > image.height)
        return "missing rows beyond 0 .. height";
    return nullptr;
}

} // namespace

const char* checkDibImage(const uint8_t* bytes, size_t size)
{
    const ImageResult result = decodeDibImage(bytes, size, kFuzzMostPixels);
    if (!result.image)
        return result.failure ? nullptr : "a BMP that fails gives no message";
    const Image& image = *result.image;
    if (image.components != 3)
        return "a BMP decodes to other than 3 components";
    if (image.width < 1 || image.height < 1)
        return "a BMP of zero width or height decodes";
    if (const char* fault = checkPixelBuffer(image))
        return fault;

    const size_t header = size >= 2 && bytes[0] == 'B' && bytes[1] == 'M' ? 14 : 0;
    const uint32_t headerSize = le32(bytes, size, header);
    int64_t width = 0;
    int64_t height = 0;
    if (headerSize == 12 && header + 12 <= size) {
        width = le16(bytes, size, header + 4);
        height = le16(bytes, size, header + 6);
    } else if (headerSize == 40 && header + 40 <= size) {
        width = int32_t(le32(bytes, size, header + 4));
        height = int32_t(le32(bytes, size, header + 8));
    } else {
        return "a picture decodes from a header that is not a whole 12- or 40-byte one";
    }
    // A picture keeps the header's size, however little of it the file holds.
    if (image.width != width || image.height != (height < 0 ? -height : height))
        return "decoded dimensions other than the header's";
    return nullptr;
}

const char* checkTga(const uint8_t* bytes, size_t size)
{
    const ImageResult result = decodeTga(bytes, size, kFuzzMostPixels);
    if (!result.image)
        return nullptr; // the TGA reader may fail in silence
    const Image& image = *result.image;
    if (size < 18)
        return "a picture decodes from a file shorter than the 18-byte header";
    const unsigned type = bytes[2];
    const unsigned depth = bytes[16];
    const bool accepted = type == 10 ? depth == 24 || depth == 32 : depth == 16 || depth == 24 || depth == 32;
    if (!accepted)
        return "a picture decodes from a type and depth that are refused";
    if (image.components != (depth == 32 ? 4 : 3))
        return "component count does not follow the depth";
    // A picture keeps the header's size, however little of it the file holds.
    if (uint32_t(image.width) != le16(bytes, size, 12) || uint32_t(image.height) != le16(bytes, size, 14))
        return "decoded dimensions other than the header's";
    if (const char* fault = checkPixelBuffer(image))
        return fault;
    return nullptr;
}

namespace {

MeshModel mesh;
int meshTexturesMade = 0;
const char* meshTextureFault = nullptr;

// Stands in for loadMeshTexture: makes no texture, only checks what it is
// handed.
Report checkMeshTexture(GLuint* textures, const char* fileName, int index)
{
    const char* fault = nullptr;
    if (textures != mesh.textures)
        fault = "a texture is made into another table than the model's";
    else if (index != meshTexturesMade)
        fault = "picture names are not handed over in order 0, 1, 2, ...";
    else if (index < 0 || index >= kMaxMeshTextures)
        fault = "a texture index beyond the table";
    else if (!fileName || fileName[0] == '\0')
        fault = "an empty picture name";
    else if (std::strlen(fileName) > 63)
        fault = "a picture name of more than 63 characters";
    else
        for (const char* c = fileName; *c; ++c)
            if (std::isspace(static_cast<unsigned char>(*c)))
                fault = "a picture name with white space";
    if (fault && !meshTextureFault)
        meshTextureFault = fault;
    ++meshTexturesMade;
    return {};
}

} // namespace

const char* checkMesh(const uint8_t* bytes, size_t size)
{
    std::memset(&mesh, 0, sizeof mesh);
    meshTexturesMade = 0;
    meshTextureFault = nullptr;
    const char* stopped = parseMesh(reinterpret_cast<const char*>(bytes), size, mesh, checkMeshTexture);
    if (meshTextureFault)
        return meshTextureFault;
    if (mesh.subMeshCount < 0 || mesh.subMeshCount > kMaxSubMeshes)
        return "sub-mesh count beyond 0 .. capacity";
    if (mesh.textureCount < 0 || mesh.textureCount > kMaxMeshTextures)
        return "texture count beyond 0 .. capacity";
    if (meshTexturesMade > kMaxMeshTextures)
        return "more textures made than the table holds";
    if (!stopped && meshTexturesMade != mesh.textureCount)
        return "a file read to its end made another number of textures than it names";
    for (int i = 0; i < mesh.subMeshCount; ++i) {
        const SubMesh& sub = mesh.subMeshes[i];
        if (sub.vertexCount < 0 || sub.vertexCount > kMaxSubMeshVertices)
            return "vertex count beyond 0 .. capacity";
        if (sub.triangleCount < 0 || sub.triangleCount > kMaxSubMeshTriangles)
            return "triangle count beyond 0 .. capacity";
        if (mesh.textureIndices[i] < 0 || mesh.textureIndices[i] >= kMaxMeshTextures)
            return "a texture index outside the table is kept for drawing";
        for (int t = 0; t < sub.triangleCount; ++t)
            for (int corner : sub.triangles[t])
                if (corner < 0 || corner >= sub.vertexCount)
                    return "a triangle kept for drawing names a vertex outside its list";
    }
    return nullptr;
}

namespace {

HeightMap heightMap;

// The loader takes a file name: the bytes go into a file that lives in memory
// and is reached by its /proc name.
const char* heightFileName()
{
    static char name[64];
    if (name[0] == '\0') {
        const int fd = memfd_create("height-map", 0);
        if (fd < 0)
            return nullptr;
        std::snprintf(name, sizeof name, "/proc/self/fd/%d", fd);
    }
    return name;
}

bool writeHeightFile(const uint8_t* bytes, size_t size)
{
    int fd = -1;
    if (std::sscanf(heightFileName(), "/proc/self/fd/%d", &fd) != 1 || ftruncate(fd, 0) != 0)
        return false;
    size_t written = 0;
    while (written < size) {
        const ssize_t n = pwrite(fd, bytes + written, size - written, off_t(written));
        if (n <= 0)
            return false;
        written += size_t(n);
    }
    return true;
}

} // namespace

const char* checkHeightMap(const uint8_t* bytes, size_t size)
{
    if (!heightFileName() || !writeHeightFile(bytes, size))
        return "the height file could not be written";
    std::memset(heightMap.heights, 0, sizeof heightMap.heights);
    if (loadHeightMap(heightFileName(), kHeightMapBytes, heightMap).failed())
        return "a readable height file fails";

    const size_t supplied = size < kHeightMapBytes ? size : kHeightMapBytes;
    if (supplied > 0 && std::memcmp(heightMap.heights, bytes, supplied) != 0)
        return "heights differ from the file's bytes";
    static const uint8_t zeros[kHeightMapBytes] = {};
    if (std::memcmp(heightMap.heights + supplied, zeros, kHeightMapBytes - supplied) != 0)
        return "a height the file does not supply is not 0";

    // Lookups at positions taken from the bytes: any float, any integer.
    float world[2] = {};
    int32_t grid[2] = {};
    if (size > 0)
        std::memcpy(world, bytes, size < sizeof world ? size : sizeof world);
    if (size > sizeof world)
        std::memcpy(grid, bytes + sizeof world,
                    size - sizeof world < sizeof grid ? size - sizeof world : sizeof grid);
    const int points[][2] = {
        {gridCoordinate(world[0]), gridCoordinate(world[1])},
        {grid[0], grid[1]},
    };
    for (const auto& p : points) {
        // Two's complement: the low ten bits are the coordinate modulo 1024.
        const size_t at = (uint32_t(p[1]) & 1023u) * 1024u + (uint32_t(p[0]) & 1023u);
        if (heightAt(&heightMap, p[0], p[1]) != heightMap.heights[at])
            return "a lookup does not wrap into the map";
        if (heightAt(nullptr, p[0], p[1]) != 0)
            return "a lookup against no map is not 0";
    }
    return nullptr;
}

const char* checkGeoReference(const uint8_t* bytes, size_t size)
{
    const GeoReferenceRead read = parseGeoReference(bytes, size);
    if (read.status != GeoReferenceStatus::Read)
        return read.status == GeoReferenceStatus::Damaged && !read.report.text.empty() &&
                       read.report.text.find('\n') == std::string::npos
                   ? nullptr
                   : "bytes that cannot serve without a one-line reason";
    const GeoReference& r = read.reference;
    bool sound =
        std::isfinite(r.metresAtHeight0) && r.metresPerHeightStep > 0 && std::isfinite(r.metresPerHeightStep);
    for (double g : r.geotransform)
        sound = sound && std::isfinite(g);
    for (const LonLat& p : r.grid)
        sound = sound && std::fabs(p.longitude) <= 180 && std::fabs(p.latitude) <= 90;
    return sound ? nullptr : "a reference read with a number that is not finite or out of its range";
}
