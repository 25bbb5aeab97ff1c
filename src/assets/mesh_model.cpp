#include "assets/mesh_model.h"

#include "assets/bmp_texture.h"
#include "assets/file_bytes.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Skips the digits at p; returns how many there were.
size_t skipDigits(const char*& p, const char* end)
{
    const char* start = p;
    while (p != end && isDigit(*p))
        ++p;
    return static_cast<size_t>(p - start);
}

// Steps over one leading '+' or '-', if there is one.
const char* afterSign(const char* p, const char* end) { return p != end && (*p == '+' || *p == '-') ? p + 1 : p; }

// Converts a token whose form is already checked; from_chars takes no '+'.
template <typename Number>
const char* convert(const char* begin, const char* end, Number& value)
{
    if (*begin == '+')
        ++begin;
    const std::from_chars_result result = std::from_chars(begin, end, value);
    return result.ec != std::errc() || result.ptr != end ? "a number is out of range" : nullptr;
}

// The file as a run of tokens: white space, line breaks included, only
// separates them. Every read stays inside [p, end).
class TokenReader {
public:
    TokenReader(const char* text, size_t size) : p_(text), end_(text + size) {}

    // Returns nullptr or what stopped the reading.
    const char* readInt(int32_t& value)
    {
        const char* begin = nullptr;
        const char* end = nullptr;
        if (!nextToken(begin, end))
            return "the file ends too soon";
        const char* q = afterSign(begin, end);
        if (skipDigits(q, end) == 0 || q != end)
            return "expected a whole number";
        return convert(begin, end, value);
    }

    // A decimal number with an optional sign, fraction and exponent.
    const char* readFloat(float& value)
    {
        const char* begin = nullptr;
        const char* end = nullptr;
        if (!nextToken(begin, end))
            return "the file ends too soon";
        const char* q = afterSign(begin, end);
        size_t mantissaDigits = skipDigits(q, end);
        if (q != end && *q == '.') {
            ++q;
            mantissaDigits += skipDigits(q, end);
        }
        bool wellFormed = mantissaDigits > 0;
        if (wellFormed && q != end && (*q == 'e' || *q == 'E')) {
            q = afterSign(q + 1, end);
            wellFormed = skipDigits(q, end) > 0;
        }
        if (!wellFormed || q != end)
            return "expected a decimal number";
        return convert(begin, end, value);
    }

    // A count that must fit a capacity.
    const char* readCount(int32_t& count, int32_t capacity, const char* tooMany)
    {
        if (const char* fault = readInt(count))
            return fault;
        if (count < 0)
            return "a count is negative";
        return count > capacity ? tooMany : nullptr;
    }

    // A texture name, at most kMaxMeshTextureNameLength characters, into name.
    const char* readName(char (&name)[kMaxMeshTextureNameLength + 1])
    {
        const char* begin = nullptr;
        const char* end = nullptr;
        if (!nextToken(begin, end))
            return "the file ends too soon";
        const size_t length = static_cast<size_t>(end - begin);
        if (length > kMaxMeshTextureNameLength)
            return "a texture name is too long";
        if (std::memchr(begin, '\0', length) != nullptr)
            return "a texture name holds a zero byte";
        std::memcpy(name, begin, length);
        name[length] = '\0';
        return nullptr;
    }

private:
    bool nextToken(const char*& begin, const char*& end)
    {
        while (p_ != end_ && isBlank(*p_))
            ++p_;
        if (p_ == end_)
            return false;
        begin = p_;
        while (p_ != end_ && !isBlank(*p_))
            ++p_;
        end = p_;
        return true;
    }

    const char* p_;
    const char* end_;
};

// Counts in the model grow as items are read whole, so a reading that stops
// leaves a model that describes exactly what was read.
const char* readSubMesh(TokenReader& reader, SubMesh& sub)
{
    int32_t vertexCount = 0;
    if (const char* fault = reader.readCount(vertexCount, kMaxSubMeshVertices, "a sub-mesh has too many vertices"))
        return fault;
    for (int32_t v = 0; v < vertexCount; ++v) {
        MeshVertex vertex;
        for (float* field : {&vertex.x, &vertex.y, &vertex.z, &vertex.u, &vertex.v}) {
            if (const char* fault = reader.readFloat(*field))
                return fault;
        }
        sub.vertices[v] = vertex;
        sub.vertexCount = v + 1;
    }

    int32_t triangleCount = 0;
    if (const char* fault =
            reader.readCount(triangleCount, kMaxSubMeshTriangles, "a sub-mesh has too many triangles"))
        return fault;
    for (int32_t t = 0; t < triangleCount; ++t) {
        int32_t corners[3];
        for (int32_t& corner : corners) {
            if (const char* fault = reader.readInt(corner))
                return fault;
            if (corner < 0 || corner >= vertexCount)
                return "a triangle names a vertex outside its sub-mesh";
        }
        std::memcpy(sub.triangles[t], corners, sizeof corners);
        sub.triangleCount = t + 1;
    }
    return nullptr;
}

Report meshFailure(const char* what, const char* fileName, const char* reason)
{
    char text[kLoadMessageBytes];
    if (reason != nullptr)
        std::snprintf(text, sizeof text, "Could not %s mesh file %s: %s", what, fileName, reason);
    else
        std::snprintf(text, sizeof text, "Could not %s mesh file %s", what, fileName);
    return loadFailure(text);
}

} // namespace

const char* const kMeshPictureFailed = "a picture it names cannot be loaded";

const char* parseMesh(const char* text, size_t size, MeshModel& model, MeshTextureMaker makeTexture,
                      Report* pictureReport)
{
    // Texture entries that no name fills must stay 0: a sub-mesh whose index
    // names no picture binds them. Of the sub-meshes, only those an earlier
    // reading began can hold anything (the record starts zeroed): clearing
    // all of them would touch every page of a record of 1.6 MB.
    const int32_t earlierSubMeshes = std::clamp(model.subMeshCount, 0, kMaxSubMeshes);
    std::memset(model.subMeshes, 0, sizeof(SubMesh) * size_t(earlierSubMeshes));
    model.subMeshCount = 0;
    model.textureCount = 0;
    std::memset(model.textureIndices, 0, sizeof model.textureIndices);
    std::memset(model.textures, 0, sizeof model.textures);
    TokenReader reader(text, size);

    int32_t subMeshCount = 0;
    if (const char* fault = reader.readCount(subMeshCount, kMaxSubMeshes, "it has too many sub-meshes"))
        return fault;
    for (int32_t i = 0; i < subMeshCount; ++i) {
        int32_t textureIndex = 0;
        if (const char* fault = reader.readInt(textureIndex))
            return fault;
        // An index inside the table but past the names read binds name 0 and
        // draws untextured; only one outside the table is refused.
        if (textureIndex < 0 || textureIndex >= kMaxMeshTextures)
            return "a texture index is outside the texture table";
        model.textureIndices[i] = textureIndex;
        model.subMeshCount = i + 1;
        if (const char* fault = readSubMesh(reader, model.subMeshes[i]))
            return fault;
    }

    int32_t textureCount = 0;
    if (const char* fault = reader.readCount(textureCount, kMaxMeshTextures, "it names too many textures"))
        return fault;
    for (int32_t k = 0; k < textureCount; ++k) {
        char name[kMaxMeshTextureNameLength + 1];
        if (const char* fault = reader.readName(name))
            return fault;
        const Report picture = makeTexture(model.textures, name, k);
        if (picture.failed()) {
            if (pictureReport != nullptr)
                *pictureReport = picture;
            return kMeshPictureFailed;
        }
        model.textureCount = k + 1;
    }
    return nullptr;
}

Report MeshModel::load(const char* fileName, MeshTextureMaker makeTexture)
{
    std::FILE* file = openFileForReading(fileName);
    if (file == nullptr) {
        std::memset(this, 0, sizeof *this);
        return meshFailure("open", fileName, nullptr);
    }
    // Read once at start-up, so a growing buffer costs nothing per frame.
    std::vector<char> text;
    char chunk[65536];
    size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        text.insert(text.end(), chunk, chunk + got);
    const bool readWhole = std::ferror(file) == 0;
    std::fclose(file);
    if (!readWhole) {
        std::memset(this, 0, sizeof *this);
        return meshFailure("read", fileName, "the file cannot be read");
    }

    Report picture;
    const char* fault = parseMesh(text.data(), text.size(), *this, makeTexture, &picture);
    if (fault == kMeshPictureFailed) {
        picture.failure = Failure::NamedPicture;
        return picture;
    }
    if (fault)
        return meshFailure("read", fileName, fault);
    return {};
}

void MeshModel::draw() const
{
    // Counts and indices are checked again here, since anyone may fill the
    // record: nothing outside it is ever read.
    const int inUse = subMeshCount > kMaxSubMeshes ? kMaxSubMeshes : subMeshCount;
    for (int i = 0; i < inUse; ++i) {
        const SubMesh& sub = subMeshes[i];
        const int32_t textureIndex = textureIndices[i];
        const bool inTable = textureIndex >= 0 && textureIndex < kMaxMeshTextures;
        glBindTexture(GL_TEXTURE_2D, inTable ? textures[textureIndex] : 0);
        glColor3f(1, 1, 1);

        const int vertexCount = sub.vertexCount > kMaxSubMeshVertices ? kMaxSubMeshVertices : sub.vertexCount;
        const int triangleCount = sub.triangleCount > kMaxSubMeshTriangles ? kMaxSubMeshTriangles : sub.triangleCount;
        for (int t = 0; t < triangleCount; ++t) {
            const int32_t* corners = sub.triangles[t];
            if (corners[0] < 0 || corners[0] >= vertexCount || corners[1] < 0 || corners[1] >= vertexCount ||
                corners[2] < 0 || corners[2] >= vertexCount)
                continue;
            glBegin(GL_TRIANGLES);
            for (int k = 0; k < 3; ++k) {
                const MeshVertex& vertex = sub.vertices[corners[k]];
                glTexCoord2f(vertex.u, vertex.v);
                glVertex3f(vertex.x, vertex.y, vertex.z);
            }
            glEnd();
        }
    }
}
