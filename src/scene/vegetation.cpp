#include "scene/vegetation.h"

#include "assets/data_files.h"

#include <cmath>

namespace {

// One draw as a grid coordinate with a tenth of a unit's resolution: 0 .. 1023.9.
float coordinateDraw(RandomSource& random) { return static_cast<float>(random.draw() % 10240) * 0.1f; }

void compileList(GLuint list, const MeshModel& mesh)
{
    if (list == 0) // no name could be had: there is nothing to compile into
        return;
    glNewList(list, GL_COMPILE);
    mesh.draw();
    glEndList();
}

// A copy costs a push, a translation, a list call and a pop.
void drawCopy(float x, float y, float z, GLuint list)
{
    glPushMatrix();
    glTranslatef(x, y, z);
    glCallList(list);
    glPopMatrix();
}

bool isNear(float x, float y, float z, float cameraX, float cameraY, float cameraZ, float limit)
{
    const float dx = x - cameraX;
    const float dy = y - cameraY;
    const float dz = z - cameraZ;
    return std::sqrt(dx * dx + dy * dy + dz * dz) < limit;
}

// Sets each plant on the ground. The heights take no draws, so they are
// looked up together, in the order a fine ground reads them best.
template <typename Plant, int count>
void standOnGround(Plant (&plants)[count], const GroundLookup& lookup, float sink)
{
    float xz[2 * count];
    for (int i = 0; i < count; ++i) {
        xz[2 * i] = plants[i].x;
        xz[2 * i + 1] = plants[i].z;
    }
    float heights[count];
    lookup.heightsAt(xz, heights, count);
    for (int i = 0; i < count; ++i)
        plants[i].y = heights[i] - sink;
}

} // namespace

void GrassField::scatter(const GroundLookup& lookup, RandomSource& random)
{
    for (GrassTuft& tuft : tufts) {
        tuft.x = coordinateDraw(random);
        tuft.z = coordinateDraw(random);
        random.draw(); // taken and discarded, so the draws that follow stay where they are
        tuft.visible = false;
    }
    standOnGround(tufts, lookup, kGrassSink);
}

LoadOutcome GrassField::init(const GroundLookup& lookup, RandomSource& random, LoadDecision decide)
{
    scatter(lookup, random);
    if (decide(DataFile::GrassMesh, mesh.load(dataFileName(DataFile::GrassMesh))) == LoadOutcome::EndProcess)
        return LoadOutcome::EndProcess;
    list = glGenLists(1);
    compileList(list, mesh);
    return LoadOutcome::Continue;
}

void GrassField::markWhereUnfit(const PlantGround& ground, const GroundLookup& lookup)
{
    for (GrassTuft& tuft : tufts)
        tuft.cannotStand = !plantStands(ground, lookup, tuft.x, tuft.z);
}

void GrassField::markVisible(const FrustumPlanes& frustum)
{
    for (GrassTuft& tuft : tufts)
        tuft.visible = frustum.containsSphere(tuft.x, tuft.y, tuft.z, kGrassVisibilityRadius);
}

void GrassField::draw(float cameraX, float cameraY, float cameraZ) const
{
    glDisable(GL_CULL_FACE);
    for (const GrassTuft& tuft : tufts) {
        if (tuft.visible && !tuft.cannotStand && isNear(tuft.x, tuft.y, tuft.z, cameraX, cameraY, cameraZ, kGrassDrawDistance))
            drawCopy(tuft.x, tuft.y, tuft.z, list);
    }
    glEnable(GL_CULL_FACE);
}

void PalmGrove::scatter(const GroundLookup& lookup, RandomSource& random)
{
    for (int i = 0; i < kPalmCount; ++i) {
        PalmInstance& palm = palms[i];
        palm.x = coordinateDraw(random);
        palm.z = coordinateDraw(random);
        palm.visible = false;
        kinds[i] = random.draw() % kPalmKindCount;
    }
    standOnGround(palms, lookup, kPalmSink);
}

LoadOutcome PalmGrove::init(const GroundLookup& lookup, RandomSource& random, LoadDecision decide)
{
    scatter(lookup, random);
    static constexpr DataFile files[kPalmKindCount] = {DataFile::PalmMesh1, DataFile::PalmMesh2, DataFile::PalmMesh3};
    for (int kind = 0; kind < kPalmKindCount; ++kind) {
        if (decide(files[kind], meshes[kind].load(dataFileName(files[kind]))) == LoadOutcome::EndProcess)
            return LoadOutcome::EndProcess;
    }
    for (GLuint& name : lists)
        name = glGenLists(1);
    for (int kind = 0; kind < kPalmKindCount; ++kind)
        compileList(lists[kind], meshes[kind]);
    return LoadOutcome::Continue;
}

void PalmGrove::markWhereUnfit(const PlantGround& ground, const GroundLookup& lookup)
{
    for (PalmInstance& palm : palms)
        palm.cannotStand = !plantStands(ground, lookup, palm.x, palm.z);
}

void PalmGrove::markVisible(const FrustumPlanes& frustum)
{
    for (PalmInstance& palm : palms) {
        palm.visible = frustum.containsSphere(palm.x, palm.y, palm.z, kPalmVisibilityRadius) ||
                       frustum.containsSphere(palm.x, palm.y + kPalmCrownHeight, palm.z, kPalmVisibilityRadius);
    }
}

void PalmGrove::draw(float cameraX, float cameraY, float cameraZ) const
{
    glDisable(GL_CULL_FACE);
    for (int i = 0; i < kPalmCount; ++i) {
        const PalmInstance& palm = palms[i];
        if (palm.visible && !palm.cannotStand && isNear(palm.x, palm.y, palm.z, cameraX, cameraY, cameraZ, kPalmDrawDistance))
            drawCopy(palm.x, palm.y, palm.z, lists[kinds[i]]);
    }
    glEnable(GL_CULL_FACE);
}
