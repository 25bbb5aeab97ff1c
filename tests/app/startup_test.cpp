#include "app/startup.h"
#include "app/window.h"

#include "support/generated_set.h"
#include "platform/platform.h"
#include "support/gl_test_context.h"
#include "support/recorded_boxes.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

class StartUp : public ::testing::Test {
protected:
    void SetUp() override
    {
        recordMessageBoxes();
        shell.fullScreen = false;
        shell.queue.pumpsPlatform = false;
    }
    void TearDown() override { stopRecordingMessageBoxes(); }

    Shell shell;
    Drawing drawing;
    std::unique_ptr<World> world = std::make_unique<World>();
};

// Stands in for the context's entry-point lookup: offers only what is listed.
const char* offered = "";
void* offeredOnly(const char* name)
{
    static int dummy;
    return std::string(offered).find(name) != std::string::npos ? &dummy : nullptr;
}

TEST_F(StartUp, EachMissingExtensionGroupHasItsOwnMessageAndPostsAQuit)
{
    struct Case {
        const char* offered;
        std::vector<std::string> messages;
    };
    const Case cases[] = {
        {"glActiveTextureARB glMultiTexCoord2fARB glFogCoordfEXT", {}},
        {"glActiveTextureARB glFogCoordfEXT", {"Your current setup does not support multitexturing"}},
        {"glMultiTexCoord2fARB glFogCoordfEXT", {"Your current setup does not support multitexturing"}},
        {"glActiveTextureARB glMultiTexCoord2fARB", {"Your current setup does not support volumetric fog"}},
        {"",
         {"Your current setup does not support multitexturing",
          "Your current setup does not support volumetric fog"}},
    };
    for (const Case& c : cases) {
        recordedBoxes.clear();
        MessageQueue queue;
        ExtensionEntryPoints entryPoints;
        offered = c.offered;
        loadExtensions(entryPoints, offeredOnly, queue);
        ASSERT_EQ(recordedBoxes.size(), c.messages.size()) << "offered: " << c.offered;
        for (size_t i = 0; i < recordedBoxes.size(); ++i) {
            EXPECT_EQ(recordedBoxes[i].text, c.messages[i]);
            EXPECT_EQ(recordedBoxes[i].title, "Error");
        }
        EXPECT_EQ(queue.quitPosted, !c.messages.empty()) << "offered: " << c.offered;
        EXPECT_EQ(queue.quitCode, 0);
    }
}

TEST_F(StartUp, AReadersReportGetsItsBoxAndWhatTheDataFileTableSaysFollows)
{
    const LoadOutcome goOn = LoadOutcome::Continue;
    const LoadOutcome end = LoadOutcome::EndProcess;
    struct Case {
        DataFile file;
        Failure result;
        const char* message;
        LoadOutcome outcome;
    };
    const Case cases[] = {
        {DataFile::HeightMap, Failure::None, "", goOn},
        {DataFile::HeightMap, Failure::Read, "Can't find the height map!", goOn},
        {DataFile::SkyTop, Failure::Read, "Unable to load BMP File!", goOn},
        {DataFile::GrassMesh, Failure::Read, "Could not open mesh file grass2.vxm", goOn},
        {DataFile::PalmMesh2, Failure::NamedPicture, "Unknown DIB file format.", end},
        {DataFile::FlyerSprite, Failure::Read, "", end}, // a sprite the reader refuses in silence
    };
    for (const Case& c : cases) {
        recordedBoxes.clear();
        const Report report = c.result == Failure::None ? Report{} : loadFailure(c.message, c.result);
        EXPECT_EQ(decideOnLoad(c.file, report), c.outcome) << dataFileName(c.file);
        const std::vector<std::string> boxes =
            c.message[0] ? std::vector<std::string>{std::string("Error: ") + c.message} : std::vector<std::string>{};
        EXPECT_EQ(recordedBoxLines(), boxes) << dataFileName(c.file);
    }
}

TEST_F(StartUp, AFullScreenModeTheDisplayLacksIsRefusedAndEndsTheRun)
{
    // The virtual display of the tests is 1024 x 768 with no other mode.
    REQUIRE_GL_CONTEXT();
    switchDisplayMode(shell);
    ASSERT_EQ(recordedBoxes.size(), 1u);
    EXPECT_EQ(recordedBoxes[0].text, "Display Mode Not Compatible");
    EXPECT_EQ(recordedBoxes[0].title, "Error");
    EXPECT_TRUE(shell.queue.quitPosted);
}

TEST_F(StartUp, LeavesTheViewerAtItsStartAndTheGraphicsStateForTheFrame)
{
    REQUIRE_GL_CONTEXT();
    platform::deleteRenderingContext(); // start-up makes its own
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(landscape_test::defaultSetFolder());
    const LoadOutcome outcome = startUp(shell, drawing, *world);
    std::filesystem::current_path(previous);
    ASSERT_EQ(outcome, LoadOutcome::Continue);
    ASSERT_TRUE(platform::hasRenderingContext());

    EXPECT_EQ(shell.clientRect.right, 800);
    EXPECT_EQ(shell.clientRect.bottom, 600);
    EXPECT_FLOAT_EQ(drawing.fieldOfView, 80);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 800);
    EXPECT_EQ(viewport[3], 600);

    const Camera& camera = world->camera;
    EXPECT_FLOAT_EQ(camera.position.x, 500);
    EXPECT_FLOAT_EQ(camera.position.y, 35);
    EXPECT_FLOAT_EQ(camera.position.z, 500);
    EXPECT_FLOAT_EQ(camera.viewPoint.x, 501);
    EXPECT_FLOAT_EQ(camera.upVector.y, 1);

    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_TRUE(glIsEnabled(GL_FOG));
    GLint fogMode = 0;
    glGetIntegerv(GL_FOG_MODE, &fogMode);
    EXPECT_EQ(fogMode, GL_LINEAR);
    GLfloat fogEnd = 0;
    glGetFloatv(GL_FOG_END, &fogEnd);
    EXPECT_FLOAT_EQ(fogEnd, 50);

    // Mesa's software renderer offers every extension the terrain needs.
    EXPECT_NE(world->extensions.glActiveTextureARB, nullptr);
    EXPECT_NE(world->extensions.glFogCoordfEXT, nullptr);
    EXPECT_FALSE(shell.queue.quitPosted);
    EXPECT_EQ(platform::depthBits(), 32);
}

// A landscape folder of links to the default set's files, with what else
// the case puts beside them.
std::filesystem::path linkedDefaultSet(const char* name)
{
    const std::filesystem::path folder = std::filesystem::path(LUMORA_BINARY_DIR) / name;
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    for (const auto& entry : std::filesystem::directory_iterator(landscape_test::defaultSetFolder()))
        std::filesystem::create_symlink(entry.path(), folder / entry.path().filename());
    return folder;
}

// Without a fine ground nothing is said; one that cannot serve is one line on
// standard error, and the terrain list is drawn as without one.
TEST_F(StartUp, AFineGroundThatCannotServeIsOneLineAndTheTerrainListIsDrawn)
{
    REQUIRE_GL_CONTEXT();
    const std::filesystem::path folder = linkedDefaultSet("startup-fine-ground");
    const std::filesystem::path previous = std::filesystem::current_path();
    for (const bool garbage : {false, true}) {
        SCOPED_TRACE(garbage ? "a garbage fine ground" : "none");
        if (garbage)
            std::ofstream(folder / "landscape.ground.tif") << "II*\0 this is no ground at all";
        world = std::make_unique<World>();
        platform::deleteRenderingContext(); // start-up makes its own
        std::filesystem::current_path(folder);
        ::testing::internal::CaptureStderr();
        const LoadOutcome outcome = startUp(shell, drawing, *world);
        const std::string said = ::testing::internal::GetCapturedStderr();
        std::filesystem::current_path(previous);
        ASSERT_EQ(outcome, LoadOutcome::Continue);
        EXPECT_TRUE(recordedBoxes.empty());
        EXPECT_EQ(world->fineTerrain, nullptr);
        EXPECT_NE(world->terrain.terrainList, 0u);
        if (!garbage) {
            EXPECT_EQ(said, "");
            continue;
        }
        ASSERT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
        EXPECT_EQ(said.back(), '\n') << said;
        EXPECT_EQ(said.rfind("lumora: landscape.ground.tif: ", 0), 0u) << said;
    }
    std::filesystem::remove_all(folder);
}

// The sea west of x = 512, land 8 m high east of it, on the equator (the
// reference's grid 0.064 degrees a point, the ground 2 m below the sea at
// height 0). With the place's reference no plant is drawn in the sea, the
// origin palm neither; the generated set has none, and every plant is drawn.
TEST_F(StartUp, APlacesReferenceKeepsPlantsOutOfTheSea)
{
    std::string grid;
    for (int i = 0; i < kGeoGridPoints; ++i)
        grid += (i ? ", [" : "[") + std::to_string(0.064 * (i % 17)) + ", " + std::to_string(-0.064 * (i / 17)) + "]";
    const std::filesystem::path place = std::filesystem::path(LUMORA_BINARY_DIR) / "startup-place";
    std::filesystem::create_directories(place);
    std::ofstream(place / kGeoReferenceFile)
        << R"({"format": "lumora-geo", "version": 1, "crs_wkt": "WGS 84", "geotransform": [0, 0.001, 0, 0, 0, -0.001],
              "height_metres": {"at_height_0": -2, "per_height_step": 1}, "corners_lon_lat": {"north_west": [0, 0],
              "north_east": [1.024, 0], "south_east": [1.024, -1.024], "south_west": [0, -1.024]},
              "grid_lon_lat": {"every": 64, "count": 17, "points": [)"
        << grid << "]}}";
    for (int z = 0; z < kHeightMapSide; ++z)
        std::memset(&world->heightMap.heights[z * kHeightMapSide + kHeightMapSide / 2], 10, kHeightMapSide / 2);
    world->grassField.scatter(world->heightMap, world->random);
    world->palmGrove.scatter(world->heightMap, world->random);

    const std::filesystem::path previous = std::filesystem::current_path();
    for (const std::filesystem::path& folder : {landscape_test::defaultSetFolder(), place}) {
        const bool real = folder == place;
        std::filesystem::current_path(folder);
        readPlaceReference(*world);
        std::filesystem::current_path(previous);
        ASSERT_EQ(world->geoReference.has_value(), real);
        for (const GrassTuft& tuft : world->grassField.tufts)
            EXPECT_EQ(tuft.cannotStand, real && tuft.x < kHeightMapSide / 2) << tuft.x;
        for (const PalmInstance& palm : world->palmGrove.palms)
            EXPECT_EQ(palm.cannotStand, real && palm.x < kHeightMapSide / 2) << palm.x;
        EXPECT_EQ(world->originPalmCannotStand, real);
    }
    std::filesystem::remove_all(place);
}

// Box texts go to standard error, where the death test reads them.
platform::MessageBoxAnswer boxToStandardError(const void*, const char* text, const char* title,
                                              platform::MessageBoxKind)
{
    std::fprintf(stderr, "%s: %s|", title, text);
    return platform::MessageBoxAnswer::Ok;
}

// Once the window system has closed, what its unloaded drivers keep can no
// longer be named, so no suppression matches it: the child that ends through
// that path skips the leak check (the other unit tests keep theirs).
bool leakCheckOff = false;

} // namespace

extern "C" int __lsan_is_turned_off() { return leakCheckOff ? 1 : 0; }

namespace {

// Runs as the process ends: what was left of the window system.
void reportWhatIsLeft()
{
    std::fprintf(stderr, "%s", platform::hasRenderingContext() || platform::hasWindow() ? "left open" : "closed");
}

// A picture that a mesh or the flyers need ends the process at once with
// status 0, after the reader's box and nothing else; the context and the
// window are gone by then, as after any other way out.
TEST_F(StartUp, APictureThatMustBeThereEndsTheProcessAfterItsBoxAndShutsDown)
{
    REQUIRE_GL_CONTEXT();
    // The renderer's threads make a forked child hang: the child starts afresh.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // The child of each case builds the same folder again before it starts up.
    const std::filesystem::path folder = std::filesystem::path(LUMORA_BINARY_DIR) / "startup-without-pictures";
    std::filesystem::remove_all(folder);
    std::filesystem::copy(landscape_test::defaultSetFolder(), folder);
    std::filesystem::remove(folder / "palmBark.bmp");
    std::filesystem::remove(folder / "busch2.tga");
    const struct {
        const char* removed;
        const char* output;
    } cases[] = {
        {"palmBark.bmp", "^Error: Failed to open DIB file palmBark\\.bmp\\.\n\\|closed$"},
        {"busch2.tga", "^Error: Unable to load TGA File!\\|closed$"},
    };
    for (const auto& c : cases) {
        // The bark goes back for the second case, so only the sprite is missing.
        if (std::string(c.removed) == "busch2.tga")
            std::filesystem::copy(landscape_test::defaultSetFolder() / "palmBark.bmp", folder / "palmBark.bmp");
        EXPECT_EXIT(
            {
                std::filesystem::current_path(folder);
                leakCheckOff = true;
                platform::setMessageBoxHook(boxToStandardError);
                std::atexit(reportWhatIsLeft);
                platform::deleteRenderingContext();
                if (startUp(shell, drawing, *world) == LoadOutcome::EndProcess)
                    endProcessAtOnce(shell, drawing, *world);
                std::fprintf(stderr, "went on");
                std::_Exit(1);
            },
            ::testing::ExitedWithCode(0), c.output)
            << c.removed;
    }
    std::filesystem::remove_all(folder);
}

} // namespace
