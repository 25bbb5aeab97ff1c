#include "terrain/fine_terrain.h"

#include "terrain/ground_file.h"
#include "terrain/ground_lod.h"
#include "terrain/ground_mesh.h"
#include "terrain/picture_file.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

namespace {

// The cache: slots for nodes' vertices and samples, made once at open, each
// with its display list. 2048 slots hold about 40 MB here and as much in the
// lists, several times what one frame draws with its ancestors.
constexpr int kNodeSlotCapacity = 2048;
constexpr int kDrawnCapacity = 2048;
constexpr int kWantedCapacity = 256;
constexpr int kRequestCapacity = 256;   // the loader's ring of nodes to read, newest frame's first
constexpr int kPublishCapacity = 128;   // results the loader has finished and the frame not yet taken
constexpr int kTakenPerFrame = kPublishCapacity; // taking one costs no upload: the loader built it
constexpr int kLowFreeSlots = 64;       // below this many free slots the frame evicts
constexpr int kEvictedPerFrame = 32;
constexpr int kCompiledPerFrame = 64;   // display lists a frame makes (a copy of 15 kB each); the rest wait

// Picture textures: one square of kPictureTextureSide pixels a node, in a pool
// made once. 512 mipmapped squares stay under 180 MB, whatever the picture's size.
constexpr int kPictureTextureSide = 256;
constexpr int kPictureTextureCount = 512;
constexpr int kPictureStagingCount = 8; // squares read and waiting to be uploaded
constexpr int kPictureUploadsPerFrame = 4;
constexpr size_t kPictureSquareBytes = size_t(kPictureTextureSide) * kPictureTextureSide * 3;
// Four bytes a texel as drivers keep RGB, and a third more for the mipmaps.
constexpr size_t kPictureTextureBytes = size_t(kPictureTextureSide) * kPictureTextureSide * 4 * 4 / 3;

constexpr int kNodeTriangles = kGroundGridTriangles + kGroundSkirtTriangles;
constexpr int kNodeFloats = 3 * kGroundNodeVertices;

// Where a node's picture square lies: which picture level, its top-left pixel
// there, and the level's pixels per world unit.
struct PictureSquare {
    int level = 0;
    int x = 0, y = 0;
    float pixelsPerUnit = 0;
};

struct LoadResult {
    int node = -1;
    int slot = -1;   // the node slot or the staging buffer it was read into
    Report report;   // failed: the node, or its picture square, is not there
};

// A fixed ring of results; only its strings allocate, and only for a failure.
struct ResultRing {
    LoadResult items[kPublishCapacity];
    int head = 0, count = 0;
    bool full() const { return count == kPublishCapacity; }
    void push(LoadResult&& result)
    {
        items[(head + count) % kPublishCapacity] = std::move(result);
        ++count;
    }
    LoadResult& front() { return items[head]; }
    void pop()
    {
        head = (head + 1) % kPublishCapacity;
        --count;
    }
};

} // namespace

struct FineTerrain::State {
    GroundLayout layout;
    std::unique_ptr<GroundFile> ground;       // this thread's handle, for surfaceHeight
    std::unique_ptr<GroundFile> loaderGround; // the loader's own
    std::unique_ptr<PictureFile> picture;     // the loader's; null without a fine picture
    std::vector<int> pictureLevelSides;       // taken at open, so that the frame never asks the file
    const GroundNodeBounds* bounds = nullptr;
    int nodeCount = 0;
    int slotCount = 0;
    int residentCount = 0;
    // Free slots that surfaceHeight leaves to the loader; none at open, where
    // what is read must stay.
    int slotsKeptForLoader = 0;

    // Per node, this thread's alone.
    std::vector<uint8_t> resident;    // its display list is made: selectGroundNodes may draw it
    std::vector<uint32_t> drawnIn;    // the frame that last drew it, for its neighbours' skirts
    std::vector<int32_t> slotOfNode;  // -1: not in the cache
    std::vector<uint8_t> failed;      // read once and failed: never asked for again
    std::vector<int16_t> textureOf;   // -1: no picture texture of its own
    std::vector<uint8_t> textureFailed;

    // Per slot.
    std::vector<float> vertices;      // kNodeFloats a slot
    std::vector<float> samples;       // kGroundNodeSamples a slot
    std::vector<int32_t> nodeOfSlot;  // -1: free or being loaded
    std::vector<uint32_t> slotUsed;   // the frame that last drew it or a node under it
    std::vector<int32_t> toCompile;   // a ring of slots read and not yet in a list
    int compileHead = 0, compileCount = 0;
    GLuint listBase = 0;              // slot i draws with list listBase + i; 0 before the GL objects

    uint16_t indices[kGroundNodeIndices];
    std::vector<int> drawn, wanted;
    LodSelection selection;
    int eyeNodes[9] = {};
    int eyeNodeCount = 0;
    uint32_t frame = 1;
    FineTerrainFigures figures;

    // Shared with the loader, under the mutex.
    std::mutex mutex;
    std::condition_variable wake;
    bool stopping = false;
    std::vector<uint8_t> loading;        // per node: asked for and not yet taken back
    std::vector<uint8_t> textureLoading; // per node
    int requests[kRequestCapacity] = {};
    int requestCount = 0, requestNext = 0;
    int textureRequests[kRequestCapacity] = {};
    int textureRequestCount = 0, textureRequestNext = 0;
    std::vector<int32_t> freeSlots;      // a stack, capacity slotCount
    int freeStaging[kPictureStagingCount] = {};
    int freeStagingCount = 0;
    ResultRing nodeResults;
    ResultRing textureResults;
    std::vector<Report> reports;         // for the caller
    std::thread loader;

    // Picture textures; this thread's alone.
    std::vector<uint8_t> staging;        // kPictureSquareBytes a buffer
    std::vector<uint8_t> rootSquare;     // read at open, uploaded with the GL objects
    GLuint textures[kPictureTextureCount] = {};
    int textureNode[kPictureTextureCount] = {};
    uint32_t textureUsed[kPictureTextureCount] = {};
    bool texturesMade = false;
    bool textureFilled[kPictureTextureCount] = {}; // storage made at its first square, not before
    int texturesResident = 0;
    PictureSquare rootSquarePlace;

    // The surface's nodes read on this thread when no slot was free.
    float scratchSamples[kGroundNodeSamples] = {};
    int scratchNode = -1;

    float* slotVertices(int slot) { return &vertices[size_t(slot) * kNodeFloats]; }
    float skirtDepthBeside(GroundNode node, int dx, int dz) const;
    void hangSkirts(int node, int slot);
    float* slotSamples(int slot) { return &samples[size_t(slot) * kGroundNodeSamples]; }
    uint8_t* stagingBuffer(int index) { return &staging[size_t(index) * kPictureSquareBytes]; }
    GroundNode nodeAt(int index) const { return groundNodeAt(layout, index); }

    bool hasPicture() const { return picture != nullptr; }
    PictureSquare pictureSquare(GroundNode node) const;

    void buildSlot(int node, int slot);
    void holdNode(int node, int slot);
    void compileLists(int most);
    void keepFailure(int node, Report&& report);
    void runLoader();
    void takeResults();
    void evictSlots();
    void touchWithAncestors(int node);
    void askForNodes();
    void uploadTextures();
    void askForTextures();
    int textureFor(int node) const;
    bool isEyeNode(int node) const;
    // Reads a node on this thread into a free slot, or into the scratch buffer
    // when none is free; the node's samples, or null when it cannot be read.
    const float* readHere(int node);
};

namespace {

GroundNode clampedNode(const GroundLayout& layout, int level, int x, int z)
{
    const int across = nodesAcross(layout, level);
    return {level, std::clamp(x, 0, across - 1), std::clamp(z, 0, across - 1)};
}

float clampOntoGround(float v)
{
    if (!(v >= 0)) // NaN lands on the edge too
        return 0;
    return v <= kGroundWorldSize ? v : kGroundWorldSize;
}

bool hasMultitexture(const ExtensionEntryPoints& entryPoints)
{
    return entryPoints.glActiveTextureARB != nullptr && entryPoints.glMultiTexCoord2fARB != nullptr;
}

// Object-linear generation: s = x * sScale + sOffset, t = z * tScale + tOffset.
void setTexGen(float sScale, float sOffset, float tScale, float tOffset)
{
    const GLfloat sPlane[4] = {sScale, 0, 0, sOffset};
    const GLfloat tPlane[4] = {0, 0, tScale, tOffset};
    glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_OBJECT_LINEAR);
    glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_OBJECT_LINEAR);
    glTexGenfv(GL_S, GL_OBJECT_PLANE, sPlane);
    glTexGenfv(GL_T, GL_OBJECT_PLANE, tPlane);
    glEnable(GL_TEXTURE_GEN_S);
    glEnable(GL_TEXTURE_GEN_T);
}

// The terrain list's coordinates: s = x / 1024, t = -z / 1024.
void setListTexGen() { setTexGen(kTerrainTexCoordScale, 0, -kTerrainTexCoordScale, 0); }

// A picture square's own texture: its top-left pixel at (0, 0), its rows from the top.
void setSquareTexGen(const PictureSquare& square)
{
    const float perUnit = square.pixelsPerUnit / kPictureTextureSide;
    setTexGen(perUnit, -float(square.x) / kPictureTextureSide, perUnit, -float(square.y) / kPictureTextureSide);
}

void stopTexGen()
{
    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);
}

} // namespace

PictureSquare FineTerrain::State::pictureSquare(GroundNode node) const
{
    const GroundRect rect = nodeRect(layout, node);
    const float width = rect.x1 - rect.x0;
    // The finest level at which the node spans no more than one square.
    const int levels = int(pictureLevelSides.size());
    int level = 0;
    while (level + 1 < levels &&
           float(pictureLevelSides[size_t(level)]) * width / kGroundWorldSize > float(kPictureTextureSide))
        ++level;
    PictureSquare square;
    square.level = level;
    square.pixelsPerUnit = float(pictureLevelSides[size_t(level)]) / kGroundWorldSize;
    square.x = int(rect.x0 * square.pixelsPerUnit);
    square.y = int(rect.z0 * square.pixelsPerUnit);
    return square;
}

void FineTerrain::State::buildSlot(int node, int slot)
{
    const GroundNode where = nodeAt(node);
    buildNodeVertices(layout, where, slotSamples(slot), skirtDepth(layout, where, bounds),
                      *reinterpret_cast<float(*)[kNodeFloats]>(slotVertices(slot)));
}

// Two nodes that share an edge part there by at most the coarser one's error
// (ground_mesh.cpp says why), and along this node a neighbour l levels up
// draws the edge of this node's ancestor at l. So the skirt against the nodes
// drawn this frame beyond an edge hangs nothing against one of its own level,
// this node's own error against finer ones (or none drawn), or that
// ancestor's against a coarser one, and a tenth of a quad more
// for rounding where the edges meet.
float FineTerrain::State::skirtDepthBeside(GroundNode node, int dx, int dz) const
{
    float depth = bounds[groundNodeIndex(layout, node)].error;
    const int across = nodesAcross(layout, node.level);
    const int x = node.x + dx, z = node.z + dz;
    const bool inside = x >= 0 && z >= 0 && x < across && z < across;
    if (inside && drawnIn[size_t(groundNodeIndex(layout, GroundNode{node.level, x, z}))] == frame) {
        depth = 0; // the same samples joined the same way
    } else if (inside) {
        for (int level = node.level + 1; level < layout.levelCount; ++level) {
            const int up = level - node.level;
            if (drawnIn[size_t(groundNodeIndex(layout, GroundNode{level, x >> up, z >> up}))] == frame) {
                const GroundNode ancestor{level, node.x >> up, node.z >> up};
                depth = std::max(depth, bounds[groundNodeIndex(layout, ancestor)].error);
                break;
            }
        }
    }
    return depth + 0.1f * levelSpacing(layout, node.level);
}

// Writes the skirt's lower vertices under the grid's edge, in the order
// buildNodeVertices keeps: edges z0, x1, z1, x0.
void FineTerrain::State::hangSkirts(int node, int slot)
{
    const GroundNode where = nodeAt(node);
    const int beside[4][2] = {{0, -1}, {1, 0}, {0, 1}, {-1, 0}};
    const int first[4] = {0, kGroundNodeQuads, kGroundNodeQuads * kGroundNodeSide, 0};
    const int step[4] = {1, kGroundNodeSide, 1, kGroundNodeSide};
    float* grid = slotVertices(slot);
    for (int edge = 0; edge < 4; ++edge) {
        const float depth = skirtDepthBeside(where, beside[edge][0], beside[edge][1]);
        float* skirt = grid + 3 * (kGroundNodeSamples + edge * kGroundNodeSide);
        for (int k = 0; k < kGroundNodeSide; ++k)
            skirt[3 * k + 1] = grid[3 * (first[edge] + k * step[edge]) + 1] - depth;
    }
}

// The node's samples and vertices are in the slot; it is drawn once its list is made.
void FineTerrain::State::holdNode(int node, int slot)
{
    ++residentCount;
    slotOfNode[size_t(node)] = slot;
    nodeOfSlot[size_t(slot)] = node;
    slotUsed[size_t(slot)] = frame;
    toCompile[size_t((compileHead + compileCount) % slotCount)] = slot;
    ++compileCount;
}

// The list holds the grid's vertices themselves, so the frame sends only the
// skirts, whose depth depends on the neighbours drawn with it.
void FineTerrain::State::compileLists(int most)
{
    if (listBase == 0)
        return;
    glEnableClientState(GL_VERTEX_ARRAY);
    for (; most > 0 && compileCount > 0; --most) {
        const int slot = toCompile[size_t(compileHead)];
        compileHead = (compileHead + 1) % slotCount;
        --compileCount;
        glVertexPointer(3, GL_FLOAT, 0, slotVertices(slot));
        glNewList(listBase + GLuint(slot), GL_COMPILE);
        glDrawElements(GL_TRIANGLES, 3 * kGroundGridTriangles, GL_UNSIGNED_SHORT, indices);
        glEndList();
        resident[size_t(nodeOfSlot[size_t(slot)])] = 1;
    }
    glDisableClientState(GL_VERTEX_ARRAY);
}

void FineTerrain::State::keepFailure(int node, Report&& report)
{
    if (failed[size_t(node)])
        return;
    failed[size_t(node)] = 1;
    std::lock_guard<std::mutex> lock(mutex);
    reports.push_back(std::move(report));
}

void FineTerrain::State::runLoader()
{
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
        const bool nodeWork = requestNext < requestCount && !freeSlots.empty() && !nodeResults.full();
        const bool textureWork = textureRequestNext < textureRequestCount && freeStagingCount > 0 &&
                                 !textureResults.full();
        if (stopping)
            return;
        if (!nodeWork && !textureWork) {
            wake.wait(lock);
            continue;
        }
        if (nodeWork) {
            const int node = requests[requestNext++];
            const int slot = freeSlots.back();
            freeSlots.pop_back();
            loading[size_t(node)] = 1;
            lock.unlock();
            LoadResult result;
            result.node = node;
            result.slot = slot;
            result.report = loaderGround->readNodeSamples(nodeAt(node), slotSamples(slot));
            if (!result.report.failed())
                buildSlot(node, slot);
            lock.lock();
            nodeResults.push(std::move(result));
        } else {
            const int node = textureRequests[textureRequestNext++];
            const int buffer = freeStaging[--freeStagingCount];
            textureLoading[size_t(node)] = 1;
            lock.unlock();
            const PictureSquare square = pictureSquare(nodeAt(node));
            LoadResult result;
            result.node = node;
            result.slot = buffer;
            result.report = picture->readSquare(square.level, square.x, square.y, kPictureTextureSide,
                                                stagingBuffer(buffer));
            lock.lock();
            textureResults.push(std::move(result));
        }
    }
}

void FineTerrain::State::takeResults()
{
    LoadResult taken[kTakenPerFrame];
    int count = 0;
    {
        std::lock_guard<std::mutex> lock(mutex);
        while (count < kTakenPerFrame && nodeResults.count > 0) {
            taken[count] = std::move(nodeResults.front());
            nodeResults.pop();
            loading[size_t(taken[count].node)] = 0;
            // Failed, or read here meanwhile by surfaceHeight: the slot is not needed.
            if (taken[count].report.failed() || slotOfNode[size_t(taken[count].node)] >= 0)
                freeSlots.push_back(taken[count].slot);
            ++count;
        }
    }
    for (int i = 0; i < count; ++i) {
        LoadResult& result = taken[i];
        if (result.report.failed()) {
            keepFailure(result.node, std::move(result.report));
        } else if (slotOfNode[size_t(result.node)] < 0) {
            holdNode(result.node, result.slot);
        }
    }
    if (count > 0)
        wake.notify_one(); // room in the ring, and maybe slots
}

bool FineTerrain::State::isEyeNode(int node) const
{
    for (int i = 0; i < eyeNodeCount; ++i)
        if (eyeNodes[i] == node)
            return true;
    return false;
}

// Frees the least recently drawn slots when few are free: never the root, a
// node drawn this frame or under one drawn, the nodes about the eye, nor one
// whose list is still to be made.
void FineTerrain::State::evictSlots()
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (int(freeSlots.size()) >= kLowFreeSlots)
            return;
    }
    int oldest[kEvictedPerFrame];
    int found = 0;
    for (int slot = 0; slot < slotCount; ++slot) {
        const int node = nodeOfSlot[size_t(slot)];
        if (node <= 0 || !resident[size_t(node)] || slotUsed[size_t(slot)] == frame || isEyeNode(node)) // 0: the root
            continue;
        // Keep the found ones sorted oldest first; drop the newest when full.
        int at = found;
        while (at > 0 && slotUsed[size_t(oldest[at - 1])] > slotUsed[size_t(slot)])
            --at;
        if (at >= kEvictedPerFrame)
            continue;
        if (found < kEvictedPerFrame)
            ++found;
        for (int i = found - 1; i > at; --i)
            oldest[i] = oldest[i - 1];
        oldest[at] = slot;
    }
    if (found == 0)
        return;
    std::lock_guard<std::mutex> lock(mutex);
    for (int i = 0; i < found; ++i) {
        const int slot = oldest[i];
        const int node = nodeOfSlot[size_t(slot)];
        resident[size_t(node)] = 0;
        --residentCount;
        slotOfNode[size_t(node)] = -1;
        nodeOfSlot[size_t(slot)] = -1;
        freeSlots.push_back(slot);
    }
    wake.notify_one();
}

void FineTerrain::State::touchWithAncestors(int node)
{
    for (;;) {
        const int slot = slotOfNode[size_t(node)];
        if (slot >= 0) {
            if (slotUsed[size_t(slot)] == frame)
                return; // its ancestors were touched with it
            slotUsed[size_t(slot)] = frame;
        }
        const std::optional<GroundNode> parent = parentNode(layout, nodeAt(node));
        if (!parent)
            return;
        node = groundNodeIndex(layout, *parent);
    }
}

// This frame's wishes replace the last frame's that the loader has not begun.
void FineTerrain::State::askForNodes()
{
    std::lock_guard<std::mutex> lock(mutex);
    requestCount = 0;
    requestNext = 0;
    for (int i = 0; i < selection.wantedCount && requestCount < kRequestCapacity; ++i) {
        const int node = selection.wanted[i];
        if (slotOfNode[size_t(node)] < 0 && !failed[size_t(node)] && !loading[size_t(node)])
            requests[requestCount++] = node;
    }
    if (requestCount > 0)
        wake.notify_one();
}

// The nearest node at or above this one with a picture texture of its own;
// -1 without a fine picture.
int FineTerrain::State::textureFor(int node) const
{
    for (;;) {
        if (textureOf[size_t(node)] >= 0)
            return textureOf[size_t(node)];
        const std::optional<GroundNode> parent = parentNode(layout, nodeAt(node));
        if (!parent)
            return -1;
        node = groundNodeIndex(layout, *parent);
    }
}

void FineTerrain::State::uploadTextures()
{
    LoadResult taken[kPictureUploadsPerFrame];
    int count = 0;
    {
        std::lock_guard<std::mutex> lock(mutex);
        while (count < kPictureUploadsPerFrame && textureResults.count > 0) {
            taken[count] = std::move(textureResults.front());
            textureResults.pop();
            textureLoading[size_t(taken[count].node)] = 0;
            ++count;
        }
    }
    for (int i = 0; i < count; ++i) {
        LoadResult& result = taken[i];
        const int node = result.node;
        if (result.report.failed()) {
            if (!textureFailed[size_t(node)]) {
                textureFailed[size_t(node)] = 1;
                std::lock_guard<std::mutex> lock(mutex);
                reports.push_back(std::move(result.report));
            }
        } else if (texturesMade && textureOf[size_t(node)] < 0) {
            // A free texture, or the least recently used one but the root's (texture 0).
            int chosen = -1;
            for (int t = 1; t < kPictureTextureCount; ++t) {
                if (textureNode[t] < 0) {
                    chosen = t;
                    break;
                }
                if (textureUsed[t] != frame && (chosen < 0 || textureUsed[t] < textureUsed[chosen]))
                    chosen = t;
            }
            if (chosen >= 0) {
                if (textureNode[chosen] >= 0)
                    textureOf[size_t(textureNode[chosen])] = -1;
                else
                    ++texturesResident;
                glBindTexture(GL_TEXTURE_2D, textures[chosen]);
                glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
                if (textureFilled[chosen])
                    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, kPictureTextureSide, kPictureTextureSide, GL_RGB,
                                    GL_UNSIGNED_BYTE, stagingBuffer(result.slot));
                else
                    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, kPictureTextureSide, kPictureTextureSide, 0, GL_RGB,
                                 GL_UNSIGNED_BYTE, stagingBuffer(result.slot));
                textureFilled[chosen] = true;
                textureNode[chosen] = node;
                textureUsed[chosen] = frame;
                textureOf[size_t(node)] = int16_t(chosen);
            }
        }
    }
    if (count > 0) {
        std::lock_guard<std::mutex> lock(mutex);
        for (int i = 0; i < count; ++i)
            freeStaging[freeStagingCount++] = taken[i].slot;
        wake.notify_one();
    }
}

// Each drawn node without its own picture square asks for it, nearest first.
void FineTerrain::State::askForTextures()
{
    std::lock_guard<std::mutex> lock(mutex);
    textureRequestCount = 0;
    textureRequestNext = 0;
    for (int i = 0; i < selection.drawnCount && textureRequestCount < kRequestCapacity; ++i) {
        const int node = selection.drawn[i];
        if (textureOf[size_t(node)] < 0 && !textureFailed[size_t(node)] && !textureLoading[size_t(node)])
            textureRequests[textureRequestCount++] = node;
    }
    if (textureRequestCount > 0)
        wake.notify_one();
}

const float* FineTerrain::State::readHere(int node)
{
    const int residentSlot = slotOfNode[size_t(node)];
    if (residentSlot >= 0)
        return slotSamples(residentSlot);
    if (scratchNode == node)
        return scratchSamples;
    if (failed[size_t(node)])
        return nullptr;
    int slot = -1;
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (!loading[size_t(node)] && int(freeSlots.size()) > slotsKeptForLoader) {
            slot = freeSlots.back();
            freeSlots.pop_back();
        }
    }
    float* samplesOut = slot >= 0 ? slotSamples(slot) : scratchSamples;
    Report report = ground->readNodeSamples(nodeAt(node), samplesOut);
    if (report.failed()) {
        if (slot >= 0) {
            std::lock_guard<std::mutex> lock(mutex);
            freeSlots.push_back(slot);
        } else {
            scratchNode = -1;
        }
        keepFailure(node, std::move(report));
        return nullptr;
    }
    if (slot < 0) {
        scratchNode = node;
        return scratchSamples;
    }
    buildSlot(node, slot);
    holdNode(node, slot);
    return slotSamples(slot);
}

std::unique_ptr<FineTerrain> FineTerrain::open(float eyeX, float eyeZ, Report& report)
{
    report = {};
    auto state = std::make_unique<State>();
    State& s = *state;
    s.ground = GroundFile::open(kFineGroundFileName, report);
    if (!s.ground)
        return nullptr;
    s.loaderGround = GroundFile::open(kFineGroundFileName, report);
    if (!s.loaderGround)
        return nullptr;
    s.layout = s.ground->layout();
    s.bounds = s.ground->bounds().data();
    s.nodeCount = groundNodeCount(s.layout);
    s.slotCount = std::min(s.nodeCount, kNodeSlotCapacity);

    const size_t nodes = size_t(s.nodeCount);
    s.resident.assign(nodes, 0);
    s.drawnIn.assign(nodes, 0);
    s.slotOfNode.assign(nodes, -1);
    s.failed.assign(nodes, 0);
    s.textureOf.assign(nodes, -1);
    s.textureFailed.assign(nodes, 0);
    s.loading.assign(nodes, 0);
    s.textureLoading.assign(nodes, 0);
    s.vertices.assign(size_t(s.slotCount) * kNodeFloats, 0.0f);
    s.samples.assign(size_t(s.slotCount) * kGroundNodeSamples, 0.0f);
    s.nodeOfSlot.assign(size_t(s.slotCount), -1);
    s.slotUsed.assign(size_t(s.slotCount), 0);
    s.toCompile.assign(size_t(s.slotCount), 0);
    s.freeSlots.reserve(size_t(s.slotCount));
    for (int slot = s.slotCount - 1; slot >= 0; --slot)
        s.freeSlots.push_back(slot);
    s.drawn.assign(kDrawnCapacity, 0);
    s.wanted.assign(kWantedCapacity, 0);
    s.selection.drawn = s.drawn.data();
    s.selection.drawnCapacity = kDrawnCapacity;
    s.selection.wanted = s.wanted.data();
    s.selection.wantedCapacity = kWantedCapacity;
    buildGroundNodeIndices(s.indices);

    // What the first frame needs, read here: the root and the full detail
    // about the eye must be read, or the ground cannot serve.
    const GroundNode eye = leafNodeAt(s.layout, clampOntoGround(eyeX), clampOntoGround(eyeZ));
    std::vector<int> required{0};
    for (int dz = -1; dz <= 1; ++dz)
        for (int dx = -1; dx <= 1; ++dx) {
            const int node = groundNodeIndex(s.layout, clampedNode(s.layout, 0, eye.x + dx, eye.z + dz));
            if (std::find(required.begin(), required.end(), node) == required.end())
                required.push_back(node);
        }
    for (const int node : required) {
        if (!s.readHere(node)) {
            std::lock_guard<std::mutex> lock(s.mutex);
            report = std::move(s.reports.back());
            return nullptr;
        }
    }
    for (size_t i = 1; i < required.size(); ++i)
        s.eyeNodes[s.eyeNodeCount++] = required[i];
    // The levels between, with their siblings, so that the first frame
    // already reaches the full detail there; these may fail like any later node.
    for (size_t i = 1; i < required.size(); ++i) {
        std::optional<GroundNode> parent = parentNode(s.layout, s.nodeAt(required[i]));
        while (parent && parent->level < rootLevel(s.layout)) {
            const std::optional<GroundNode> above = parentNode(s.layout, *parent);
            for (int child = 0; child < 4; ++child)
                s.readHere(groundNodeIndex(s.layout, childNode(*above, child)));
            parent = above;
        }
    }

    Report pictureReport;
    s.picture = PictureFile::open(kFinePictureFileName, pictureReport);
    if (s.picture) {
        for (int level = 0; level < s.picture->levelCount(); ++level)
            s.pictureLevelSides.push_back(s.picture->levelSide(level));
        s.rootSquarePlace = s.pictureSquare(s.nodeAt(0));
        s.rootSquare.assign(kPictureSquareBytes, 0);
        pictureReport = s.picture->readSquare(s.rootSquarePlace.level, s.rootSquarePlace.x, s.rootSquarePlace.y,
                                              kPictureTextureSide, s.rootSquare.data());
        if (pictureReport.failed()) {
            s.picture.reset();
            s.rootSquare.clear();
        } else {
            s.staging.assign(kPictureSquareBytes * kPictureStagingCount, 0);
            for (int i = 0; i < kPictureStagingCount; ++i)
                s.freeStaging[s.freeStagingCount++] = i;
        }
    }
    if (pictureReport.failed() && !pictureReport.text.empty())
        s.reports.push_back(std::move(pictureReport));
    for (int t = 0; t < kPictureTextureCount; ++t)
        s.textureNode[t] = -1;

    s.slotsKeptForLoader = kLowFreeSlots;
    s.loader = std::thread([&s] { s.runLoader(); });
    std::unique_ptr<FineTerrain> terrain(new FineTerrain);
    terrain->state_ = std::move(state);
    return terrain;
}

FineTerrain::~FineTerrain()
{
    if (!state_)
        return;
    {
        std::lock_guard<std::mutex> lock(state_->mutex);
        state_->stopping = true;
    }
    state_->wake.notify_all();
    if (state_->loader.joinable())
        state_->loader.join();
}

const GroundLayout& FineTerrain::layout() const { return state_->layout; }

float FineTerrain::surfaceHeight(float x, float z)
{
    State& s = *state_;
    x = clampOntoGround(x);
    z = clampOntoGround(z);
    GroundNode node = leafNodeAt(s.layout, x, z);
    for (;;) {
        if (const float* samples = s.readHere(groundNodeIndex(s.layout, node)))
            return nodeSurfaceHeight(s.layout, node, samples, x, z);
        const std::optional<GroundNode> parent = parentNode(s.layout, node);
        if (!parent)
            return 0; // the root is always resident; not reached
        node = *parent;
    }
}

void FineTerrain::surfaceHeights(const float* xz, float* heights, int count)
{
    // Level-0 nodes are 32 samples across and the file's tiles 256: sorted by
    // tile, then by node, the points need each tile once.
    constexpr int kNodesPerTile = 256 / kGroundNodeQuads;
    const GroundLayout& layout = state_->layout;
    std::vector<std::pair<uint64_t, int>> order(size_t(std::max(count, 0)));
    for (int i = 0; i < count; ++i) {
        const GroundNode node = leafNodeAt(layout, clampOntoGround(xz[2 * i]), clampOntoGround(xz[2 * i + 1]));
        const uint64_t tile = uint64_t(node.z / kNodesPerTile) << 16 | uint64_t(node.x / kNodesPerTile);
        order[size_t(i)] = {tile << 32 | uint64_t(groundNodeIndex(layout, node)), i};
    }
    std::sort(order.begin(), order.end());
    for (const auto& [key, i] : order)
        heights[i] = surfaceHeight(xz[2 * i], xz[2 * i + 1]);
}

float FineTerrain::highestAt(float x, float z) const
{
    const State& s = *state_;
    const GroundNode node = leafNodeAt(s.layout, clampOntoGround(x), clampOntoGround(z));
    return s.bounds[groundNodeIndex(s.layout, node)].maxHeight;
}

Report FineTerrain::createGLObjects(const ExtensionEntryPoints&)
{
    State& s = *state_;
    if (s.listBase != 0)
        return {};
    s.listBase = glGenLists(s.slotCount);
    if (s.listBase == 0) {
        Report report;
        report.failure = Failure::Make;
        report.text = "no display lists for the fine ground";
        return report;
    }
    s.compileLists(s.slotCount); // what open() read, the root first
    if (!s.hasPicture())
        return {};
    glGenTextures(kPictureTextureCount, s.textures);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    for (int t = 0; t < kPictureTextureCount; ++t) {
        glBindTexture(GL_TEXTURE_2D, s.textures[t]);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_GENERATE_MIPMAP, GL_TRUE);
        s.textureFilled[t] = false;
    }
    // The root's square is there from the start; the others are made when read.
    glBindTexture(GL_TEXTURE_2D, s.textures[0]);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, kPictureTextureSide, kPictureTextureSide, 0, GL_RGB, GL_UNSIGNED_BYTE,
                 s.rootSquare.data());
    s.textureFilled[0] = true;
    glBindTexture(GL_TEXTURE_2D, 0);
    s.textureNode[0] = 0;
    s.textureOf[0] = 0;
    s.texturesResident = 1;
    s.texturesMade = true;
    return {};
}

void FineTerrain::deleteGLObjects()
{
    State& s = *state_;
    if (s.listBase != 0) {
        glDeleteLists(s.listBase, s.slotCount);
        s.listBase = 0;
        // Every node held is made again with the next GL objects.
        s.compileHead = 0;
        s.compileCount = 0;
        for (int slot = 0; slot < s.slotCount; ++slot) {
            const int node = s.nodeOfSlot[size_t(slot)];
            if (node < 0)
                continue;
            s.resident[size_t(node)] = 0;
            s.toCompile[size_t(s.compileCount++)] = slot;
        }
    }
    if (!s.texturesMade)
        return;
    glDeleteTextures(kPictureTextureCount, s.textures);
    for (int t = 0; t < kPictureTextureCount; ++t) {
        if (s.textureNode[t] >= 0)
            s.textureOf[size_t(s.textureNode[t])] = -1;
        s.textureNode[t] = -1;
        s.textures[t] = 0;
    }
    s.texturesResident = 0;
    s.texturesMade = false;
}

void FineTerrain::draw(const TerrainMesh& terrain, const ExtensionEntryPoints& entryPoints, Vector3 eye,
                       const FrustumPlanes& frustum, float pixelsPerUnitAtOne, float allowedError)
{
    State& s = *state_;
    ++s.frame;
    const GroundNode eyeLeaf = leafNodeAt(s.layout, clampOntoGround(eye.x), clampOntoGround(eye.z));
    s.eyeNodeCount = 0;
    for (int dz = -1; dz <= 1; ++dz)
        for (int dx = -1; dx <= 1; ++dx)
            s.eyeNodes[s.eyeNodeCount++] =
                groundNodeIndex(s.layout, clampedNode(s.layout, 0, eyeLeaf.x + dx, eyeLeaf.z + dz));

    s.takeResults();
    s.compileLists(kCompiledPerFrame);
    LodView view;
    view.eye = eye;
    view.frustum = &frustum;
    view.pixelsPerUnitAtOne = pixelsPerUnitAtOne;
    view.allowedError = allowedError;
    selectGroundNodes(s.layout, s.bounds, s.resident.data(), view, s.selection);
    for (int i = 0; i < s.selection.drawnCount; ++i)
        s.touchWithAncestors(s.selection.drawn[i]);
    s.evictSlots();
    s.askForNodes();
    const bool picture = s.hasPicture() && s.texturesMade;
    if (picture) {
        s.uploadTextures();
        s.askForTextures();
    }

    // The list's two units, with generated coordinates in place of its own;
    // unit 1 stays the active unit while the nodes are drawn, as in the list.
    const bool multitexture = hasMultitexture(entryPoints);
    bindTerrainTextures(terrain, entryPoints);
    setListTexGen();
    if (multitexture) {
        entryPoints.glActiveTextureARB(GL_TEXTURE0_ARB);
        setListTexGen();
        entryPoints.glActiveTextureARB(GL_TEXTURE1_ARB);
    }

    for (int i = 0; i < s.selection.drawnCount; ++i)
        s.drawnIn[size_t(s.selection.drawn[i])] = s.frame;
    glEnableClientState(GL_VERTEX_ARRAY);
    int boundTexture = -1;
    for (int i = 0; i < s.selection.drawnCount; ++i) {
        const int node = s.selection.drawn[i];
        if (picture) {
            const int texture = s.textureFor(node);
            if (texture >= 0 && texture != boundTexture) {
                // The picture sits on unit 0; unit 1 stays active for the detail.
                if (multitexture)
                    entryPoints.glActiveTextureARB(GL_TEXTURE0_ARB);
                glBindTexture(GL_TEXTURE_2D, s.textures[texture]);
                setSquareTexGen(s.pictureSquare(s.nodeAt(s.textureNode[texture])));
                if (multitexture)
                    entryPoints.glActiveTextureARB(GL_TEXTURE1_ARB);
                boundTexture = texture;
            }
            if (texture >= 0)
                s.textureUsed[texture] = s.frame;
        }
        const int slot = s.slotOfNode[size_t(node)];
        glCallList(s.listBase + GLuint(slot));
        s.hangSkirts(node, slot);
        glVertexPointer(3, GL_FLOAT, 0, s.slotVertices(slot));
        glDrawElements(GL_TRIANGLES, 3 * kGroundSkirtTriangles, GL_UNSIGNED_SHORT,
                       s.indices + 3 * kGroundGridTriangles);
    }
    glDisableClientState(GL_VERTEX_ARRAY);

    // As the list leaves it: texturing off on both units, unit 0 active with
    // the terrain picture bound, unit 1 in combine mode scaled by the repeat.
    if (multitexture) {
        stopTexGen();
        glDisable(GL_TEXTURE_2D);
        entryPoints.glActiveTextureARB(GL_TEXTURE0_ARB);
    }
    stopTexGen();
    if (picture)
        glBindTexture(GL_TEXTURE_2D, terrain.terrainTexture);
    glDisable(GL_TEXTURE_2D);

    FineTerrainFigures& figures = s.figures;
    figures.nodesDrawn = s.selection.drawnCount;
    figures.trianglesDrawn = s.selection.drawnCount * kNodeTriangles;
    figures.largestScreenError = s.selection.largestScreenError;
    figures.nodesResident = s.residentCount;
    figures.textureBytes = size_t(s.texturesResident) * kPictureTextureBytes;
}

FineTerrainFigures FineTerrain::figures() const { return state_->figures; }

std::vector<Report> FineTerrain::takeReports()
{
    std::vector<Report> taken;
    std::lock_guard<std::mutex> lock(state_->mutex);
    taken.swap(state_->reports);
    return taken;
}
