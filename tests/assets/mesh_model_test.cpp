#include "assets/mesh_model.h"

#include "plants.h"
#include "support/gl_feedback.h"
#include "support/gl_test_context.h"
#include "support/gl_view.h"
#include "vxm.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

struct MadeTexture {
    std::string name;
    int index;
};
std::vector<MadeTexture> madeTextures;

// Gives texture k the name 100 + k and remembers the call.
Report recordTexture(GLuint* textures, const char* fileName, int index)
{
    madeTextures.push_back({fileName, index});
    textures[index] = static_cast<GLuint>(100 + index);
    return {};
}

struct Parsed {
    std::unique_ptr<MeshModel> model = std::make_unique<MeshModel>();
    const char* fault = nullptr;
};

// Parses from a heap copy of exactly the text's size, so that the sanitizer
// catches any read past its end.
const char* parseInto(const std::string& text, MeshModel& model)
{
    madeTextures.clear();
    const std::unique_ptr<char[]> bytes(new char[text.size()]);
    std::memcpy(bytes.get(), text.data(), text.size());
    return parseMesh(bytes.get(), text.size(), model, recordTexture);
}

Parsed parse(const std::string& text)
{
    Parsed parsed;
    parsed.fault = parseInto(text, *parsed.model);
    return parsed;
}

std::string faultOf(const Parsed& parsed) { return parsed.fault ? parsed.fault : "(none)"; }

// Two sub-meshes sharing texture 1, one line per item as the format is
// usually written.
const char* const kCanonical = "2\n"
                               "1\n"
                               "3\n"
                               "1 2 3 0.5 0.25\n"
                               "-4.5 5 6e1 0 1\n"
                               "7 8 9 1 0\n"
                               "2\n"
                               "2 0 1\n"
                               "0 1 2\n"
                               "1\n"
                               "1\n"
                               "0 0 0 0 0\n"
                               "0\n"
                               "2\n"
                               "bark.bmp\n"
                               "frond.bmp\n";

bool isZero(const SubMesh& sub)
{
    static const SubMesh zero = {};
    return std::memcmp(&sub, &zero, sizeof zero) == 0;
}

// The same tokens, separated differently.
std::string respaced(const std::string& text, const char* separator)
{
    std::string out;
    bool inToken = false;
    for (char c : text) {
        const bool blank = c == ' ' || c == '\n';
        if (!blank && !inToken && !out.empty())
            out += separator;
        if (!blank)
            out += c;
        inToken = !blank;
    }
    return out;
}

std::string repeat(const std::string& item, int times)
{
    std::string out;
    for (int i = 0; i < times; ++i)
        out += item;
    return out;
}

TEST(MeshParse, TheCanonicalLayoutFillsTheModel)
{
    const Parsed parsed = parse(kCanonical);
    ASSERT_EQ(parsed.fault, nullptr) << parsed.fault;
    const MeshModel& m = *parsed.model;
    ASSERT_EQ(m.subMeshCount, 2);
    EXPECT_EQ(m.textureIndices[0], 1);
    EXPECT_EQ(m.textureIndices[1], 1);

    const SubMesh& first = m.subMeshes[0];
    ASSERT_EQ(first.vertexCount, 3);
    // The first three numbers are the position, the last two the texture coordinate.
    const MeshVertex& v = first.vertices[0];
    EXPECT_EQ(v.x, 1.0f);
    EXPECT_EQ(v.y, 2.0f);
    EXPECT_EQ(v.z, 3.0f);
    EXPECT_EQ(v.u, 0.5f);
    EXPECT_EQ(v.v, 0.25f);
    EXPECT_EQ(first.vertices[1].x, -4.5f);
    EXPECT_EQ(first.vertices[1].z, 60.0f);
    ASSERT_EQ(first.triangleCount, 2);
    EXPECT_EQ(first.triangles[0][0], 2);
    EXPECT_EQ(first.triangles[0][1], 0);
    EXPECT_EQ(first.triangles[0][2], 1);

    EXPECT_EQ(m.subMeshes[1].vertexCount, 1);
    EXPECT_EQ(m.subMeshes[1].triangleCount, 0);

    ASSERT_EQ(m.textureCount, 2);
    ASSERT_EQ(madeTextures.size(), 2u);
    EXPECT_EQ(madeTextures[0].name, "bark.bmp");
    EXPECT_EQ(madeTextures[0].index, 0);
    EXPECT_EQ(madeTextures[1].name, "frond.bmp");
    EXPECT_EQ(madeTextures[1].index, 1);
    EXPECT_EQ(m.textures[0], 100u);
    EXPECT_EQ(m.textures[1], 101u);
    EXPECT_EQ(m.textures[2], 0u) << "an entry that no name fills stays 0";
}

TEST(MeshParse, LineBreaksCarryNoMeaning)
{
    const Parsed canonical = parse(kCanonical);
    for (const char* separator : {" ", "\t", "\r\n", "\n\n  \t\v\f"}) {
        const Parsed other = parse(respaced(kCanonical, separator));
        ASSERT_EQ(other.fault, nullptr) << other.fault;
        EXPECT_EQ(std::memcmp(canonical.model.get(), other.model.get(), sizeof(MeshModel)), 0)
            << "separator " << testing::PrintToString(separator);
    }
}

TEST(MeshParse, AnImageNamedTwiceMakesTwoTextures)
{
    const Parsed parsed = parse("1 0 0 0 2 same.bmp same.bmp");
    ASSERT_EQ(parsed.fault, nullptr) << parsed.fault;
    ASSERT_EQ(madeTextures.size(), 2u);
    EXPECT_EQ(madeTextures[0].name, madeTextures[1].name);
    EXPECT_NE(parsed.model->textures[0], parsed.model->textures[1]);
}

TEST(MeshParse, NumbersAreDecimalAndCountsWhole)
{
    struct Case {
        const char* token;
        float value;
    };
    const Case accepted[] = {
        {"0", 0.0f},  {"-1.5", -1.5f}, {"+2", 2.0f},          {"1e2", 100.0f},     {"1.5E-1", 0.15f},
        {".5", 0.5f}, {"5.", 5.0f},    {"-0.000001", -1e-6f}, {"3.25e+2", 325.0f},
    };
    for (const Case& c : accepted) {
        const Parsed parsed = parse(std::string("1 0 1 ") + c.token + " 0 0 0 0 0 0");
        ASSERT_EQ(parsed.fault, nullptr) << c.token << ": " << parsed.fault;
        EXPECT_FLOAT_EQ(parsed.model->subMeshes[0].vertices[0].x, c.value) << c.token;
    }

    for (const char* token :
         {"abc", "1,5", "1e", "1e+", "--1", "+-1", "0x10", "inf", "nan", "1.2.3", ".", "-", "1f"}) {
        const Parsed parsed = parse(std::string("1 0 1 ") + token + " 0 0 0 0 0 0");
        EXPECT_EQ(faultOf(parsed), "expected a decimal number") << token;
        EXPECT_EQ(parsed.model->subMeshes[0].vertexCount, 0) << token;
    }
    EXPECT_EQ(faultOf(parse("1 0 1 1e39 0 0 0 0 0 0")), "a number is out of range");

    // Counts and indices are whole numbers.
    EXPECT_EQ(parse("+1 +0 +0 +0 +0").fault, nullptr);
    for (const char* count : {"1.0", "one", "1e1", "+", "-", "0x1", "2a", "1-"}) {
        const Parsed parsed = parse(std::string("1 0 ") + count + " 0 0");
        EXPECT_EQ(faultOf(parsed), "expected a whole number") << count;
        EXPECT_EQ(parsed.model->subMeshCount, 1) << count;
    }
    EXPECT_EQ(faultOf(parse("2147483648")), "a number is out of range");
    EXPECT_EQ(faultOf(parse("-2147483649")), "a number is out of range");
}

// Each row stops the reading at its fault; what was read before stays.
TEST(MeshParse, AFaultStopsTheReadingAndKeepsWhatWasRead)
{
    struct Case {
        const char* what;
        std::string text;
        const char* fault;
        int subMeshes;
        int lastVertices; // of the last sub-mesh begun
        int lastTriangles;
        int textures;
    };
    const std::string vertex = "0 0 0 0 0 ";
    const Case cases[] = {
        {"empty file", "", "the file ends too soon", 0, 0, 0, 0},
        {"blank file", " \n\t ", "the file ends too soon", 0, 0, 0, 0},
        {"ends inside a vertex", "1 0 2 " + vertex + "1 2", "the file ends too soon", 1, 1, 0, 0},
        {"ends before the names", "1 0 1 " + vertex + "0 2 a.bmp", "the file ends too soon", 1, 1, 0, 1},
        {"negative sub-mesh count", "-1 0", "a count is negative", 0, 0, 0, 0},
        {"negative vertex count", "1 0 -3 0 0", "a count is negative", 1, 0, 0, 0},
        {"negative triangle count", "1 0 1 " + vertex + "-1 0", "a count is negative", 1, 1, 0, 0},
        {"negative texture count", "0 -1", "a count is negative", 0, 0, 0, 0},
        {"101 sub-meshes", "101", "it has too many sub-meshes", 0, 0, 0, 0},
        {"501 vertices", "1 0 501", "a sub-mesh has too many vertices", 1, 0, 0, 0},
        {"501 triangles", "1 0 1 " + vertex + "501", "a sub-mesh has too many triangles", 1, 1, 0, 0},
        {"101 names", "0 101 a.bmp", "it names too many textures", 0, 0, 0, 0},
        {"texture index -1", "1 -1 0 0 0", "a texture index is outside the texture table", 0, 0, 0, 0},
        {"texture index 100", "1 100 0 0 0", "a texture index is outside the texture table", 0, 0, 0, 0},
        {"vertex index = count", "1 0 3 " + repeat(vertex, 3) + "2 0 1 2 0 1 3 0",
         "a triangle names a vertex outside its sub-mesh", 1, 3, 1, 0},
        {"vertex index -1", "1 0 3 " + repeat(vertex, 3) + "1 -1 0 1 0",
         "a triangle names a vertex outside its sub-mesh", 1, 3, 0, 0},
        {"index into no vertices", "1 0 0 1 0 0 0 0", "a triangle names a vertex outside its sub-mesh", 1, 0, 0, 0},
        {"64-character name", "0 2 a.bmp " + std::string(60, 'n') + ".bmp", "a texture name is too long", 0, 0, 0, 1},
        {"word for a count", "1 0 three", "expected a whole number", 1, 0, 0, 0},
        {"name with a zero byte", std::string("0 1 a\0b.bmp", 12), "a texture name holds a zero byte", 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        const Parsed parsed = parse(c.text);
        EXPECT_EQ(faultOf(parsed), c.fault) << c.what;
        const MeshModel& m = *parsed.model;
        EXPECT_EQ(m.subMeshCount, c.subMeshes) << c.what;
        const SubMesh& last = m.subMeshes[m.subMeshCount > 0 ? m.subMeshCount - 1 : 0];
        EXPECT_EQ(last.vertexCount, c.lastVertices) << c.what;
        EXPECT_EQ(last.triangleCount, c.lastTriangles) << c.what;
        EXPECT_EQ(m.textureCount, c.textures) << c.what;
        EXPECT_EQ(static_cast<int>(madeTextures.size()), c.textures) << c.what;
    }
}

TEST(MeshParse, EveryCapacityHoldsExactlyItsLimit)
{
    const std::string vertex = "0 0 0 0 0\n";
    const std::string triangle = "0 1 2\n";
    EXPECT_EQ(parse(std::to_string(kMaxSubMeshes) + "\n" + repeat("0 0 0\n", kMaxSubMeshes) + "0").fault, nullptr);
    EXPECT_EQ(parse("1 0 " + std::to_string(kMaxSubMeshVertices) + "\n" + repeat(vertex, kMaxSubMeshVertices) + "0 0")
                  .fault,
              nullptr);
    EXPECT_EQ(parse("1 0 3\n" + repeat(vertex, 3) + std::to_string(kMaxSubMeshTriangles) + "\n" +
                    repeat(triangle, kMaxSubMeshTriangles) + "0")
                  .fault,
              nullptr);
    const Parsed names = parse("0 " + std::to_string(kMaxMeshTextures) + "\n" + repeat("t.bmp\n", kMaxMeshTextures));
    EXPECT_EQ(names.fault, nullptr);
    EXPECT_EQ(names.model->textureCount, kMaxMeshTextures);
    const Parsed longest = parse("0 1 " + std::string(kMaxMeshTextureNameLength, 'n'));
    EXPECT_EQ(longest.fault, nullptr);
    ASSERT_EQ(madeTextures.size(), 1u);
    EXPECT_EQ(madeTextures[0].name.size(), static_cast<size_t>(kMaxMeshTextureNameLength));
    EXPECT_EQ(parse("1 99 0 0 0").fault, nullptr) << "an index inside the table is kept, even naming no picture";
}

TEST(MeshParse, OneVertexTooManyWritesNothingIntoTheNextSubMesh)
{
    const Parsed parsed = parse("2 0 " + std::to_string(kMaxSubMeshVertices + 1) + "\n" +
                                repeat("1 1 1 1 1\n", kMaxSubMeshVertices + 1));
    EXPECT_EQ(faultOf(parsed), "a sub-mesh has too many vertices");
    EXPECT_TRUE(isZero(parsed.model->subMeshes[1]));
    EXPECT_EQ(parsed.model->subMeshes[0].vertexCount, 0);
}

// A record read again holds what a fresh one would: nothing of the earlier
// model's sub-meshes, vertices or textures is left.
TEST(MeshParse, ReadingAgainLeavesNothingOfTheEarlierModel)
{
    const std::string grass = landscape::formatVxm(landscape::buildGrassTuft(3, "grassBlade.bmp"));
    const struct {
        const char* what;
        std::string earlier;
        std::string later;
    } cases[] = {
        {"no sub-meshes", kCanonical, "0 0"},
        {"fewer sub-meshes", kCanonical, "1 0 0 0 0"},
        {"a file cut short inside a sub-mesh", grass, grass.substr(0, grass.size() / 2)},
        {"fewer textures", kCanonical, "1 0 0 0 1 only.bmp"},
    };
    for (const auto& c : cases) {
        const Parsed fresh = parse(c.later);
        Parsed reused = parse(c.earlier);
        EXPECT_EQ(parseInto(c.later, *reused.model), fresh.fault) << c.what;
        EXPECT_EQ(std::memcmp(reused.model.get(), fresh.model.get(), sizeof(MeshModel)), 0) << c.what;
    }
}

// The generator's writer is not the reader: a mesh it builds comes back whole.
TEST(MeshParse, GeneratedMeshesReadBackWhole)
{
    landscape::PalmShape shape;
    shape.trunkHeight = 20;
    shape.lean = {1, 0, 1};
    shape.footRadius = 1.5f;
    shape.topRadius = 1;
    shape.trunkSides = 8;
    shape.trunkSegments = 10;
    shape.fronds = 10;
    shape.frondSamples = 6;
    shape.frondLength = 12;
    shape.frondLift = 0.5f;
    shape.frondDroop = 1;
    shape.leafletLength = 3;
    shape.leafletDroop = 0.3f;
    shape.barkTexture = "palmBark.bmp";
    shape.frondTexture = "palmFrond.bmp";
    for (const landscape::Mesh& mesh :
         {landscape::buildGrassTuft(7, "grassBlade.bmp"), landscape::buildPalm(shape, 7)}) {
        const Parsed parsed = parse(landscape::formatVxm(mesh));
        ASSERT_EQ(parsed.fault, nullptr) << parsed.fault;
        const MeshModel& m = *parsed.model;
        ASSERT_EQ(m.subMeshCount, static_cast<int>(mesh.subMeshes.size()));
        ASSERT_GT(m.subMeshCount, 0);
        for (int i = 0; i < m.subMeshCount; ++i) {
            const landscape::SubMesh& expected = mesh.subMeshes[i];
            const SubMesh& got = m.subMeshes[i];
            EXPECT_EQ(m.textureIndices[i], expected.textureIndex);
            ASSERT_EQ(got.vertexCount, static_cast<int>(expected.vertices.size()));
            ASSERT_EQ(got.triangleCount, static_cast<int>(expected.triangles.size()));
            for (int v = 0; v < got.vertexCount; ++v) {
                EXPECT_NEAR(got.vertices[v].x, expected.vertices[v].x, 1e-5);
                EXPECT_NEAR(got.vertices[v].y, expected.vertices[v].y, 1e-5);
                EXPECT_NEAR(got.vertices[v].v, expected.vertices[v].v, 1e-5);
            }
            for (int t = 0; t < got.triangleCount; ++t) {
                EXPECT_EQ(got.triangles[t][0], expected.triangles[t].a);
                EXPECT_EQ(got.triangles[t][2], expected.triangles[t].c);
            }
        }
        ASSERT_EQ(madeTextures.size(), mesh.textureNames.size());
        for (size_t k = 0; k < madeTextures.size(); ++k)
            EXPECT_EQ(madeTextures[k].name, mesh.textureNames[k]);
    }
}

// Whatever the bytes, the model describes only what lies inside it.
void expectWithinBounds(const MeshModel& m, const std::string& input)
{
    ASSERT_GE(m.subMeshCount, 0) << input;
    ASSERT_LE(m.subMeshCount, kMaxSubMeshes) << input;
    for (int i = 0; i < m.subMeshCount; ++i) {
        const SubMesh& sub = m.subMeshes[i];
        ASSERT_GE(m.textureIndices[i], 0) << input;
        ASSERT_LT(m.textureIndices[i], kMaxMeshTextures) << input;
        ASSERT_GE(sub.vertexCount, 0) << input;
        ASSERT_LE(sub.vertexCount, kMaxSubMeshVertices) << input;
        ASSERT_GE(sub.triangleCount, 0) << input;
        ASSERT_LE(sub.triangleCount, kMaxSubMeshTriangles) << input;
        for (int t = 0; t < sub.triangleCount; ++t) {
            for (int k = 0; k < 3; ++k) {
                ASSERT_GE(sub.triangles[t][k], 0) << input;
                ASSERT_LT(sub.triangles[t][k], sub.vertexCount) << input;
            }
        }
    }
    for (int i = m.subMeshCount; i < kMaxSubMeshes; ++i)
        ASSERT_TRUE(isZero(m.subMeshes[i])) << "sub-mesh " << i << " written: " << input;
    ASSERT_GE(m.textureCount, 0) << input;
    ASSERT_LE(m.textureCount, kMaxMeshTextures) << input;
    ASSERT_EQ(static_cast<int>(madeTextures.size()), m.textureCount) << input;
    for (const MadeTexture& made : madeTextures)
        ASSERT_LE(made.name.size(), static_cast<size_t>(kMaxMeshTextureNameLength)) << input;
}

TEST(MeshParse, MutatedFilesStayWithinBounds)
{
    const std::vector<std::string> seeds = {
        kCanonical,
        respaced(kCanonical, " "),
        landscape::formatVxm(landscape::buildGrassTuft(3, "grassBlade.bmp")),
        "3 0 2 1 1 1 1 1 2 2 2 2 2 1 0 1 1 99 0 0 5 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 0 0 1 2 a b",
    };
    const char* const pieces[] = {"-",  "+",          "0", "1",  "9", "99", "100", "101", "500",  "501",
                                  "-1", "2147483647", " ", "\n", ".", "e",  "x",   "\0",  "1e38", "nan"};
    std::mt19937 random(20260101);
    int parsedWhole = 0;
    const std::unique_ptr<MeshModel> model = std::make_unique<MeshModel>();
    for (int run = 0; run < 4000; ++run) {
        std::string text = seeds[random() % seeds.size()];
        const int edits = 1 + static_cast<int>(random() % 6);
        for (int e = 0; e < edits && !text.empty(); ++e) {
            const size_t at = random() % text.size();
            switch (random() % 5) {
            case 0: // overwrite one byte
                text[at] = static_cast<char>(random() % 256);
                break;
            case 1: { // insert a piece that counts and indices react to
                const char* piece = pieces[random() % (sizeof pieces / sizeof pieces[0])];
                text.insert(at, *piece ? std::string(piece) : std::string(1, '\0'));
                break;
            }
            case 2: // cut a span
                text.erase(at, random() % 16);
                break;
            case 3: // end the file early
                text.resize(at);
                break;
            default: // repeat a span
                text.insert(at, text.substr(at, random() % 32));
                break;
            }
        }
        madeTextures.clear();
        const std::unique_ptr<char[]> bytes(new char[text.size()]);
        std::memcpy(bytes.get(), text.data(), text.size());
        parsedWhole += parseMesh(bytes.get(), text.size(), *model, recordTexture) == nullptr ? 1 : 0;
        expectWithinBounds(*model, text);
        if (testing::Test::HasFatalFailure())
            return;
    }
    // Some mutations must leave a valid file, or the loop tests only faults.
    EXPECT_GT(parsedWhole, 0);
}

// Loading from files, with the message boxes answered by the test.

class MeshLoad : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = std::filesystem::temp_directory_path() /
                 ("lumora-mesh-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(folder);
    }
    void TearDown() override { std::filesystem::remove_all(folder); }
    std::string write(const char* name, const std::string& text)
    {
        const std::string path = (folder / name).string();
        std::FILE* file = std::fopen(path.c_str(), "wb");
        std::fwrite(text.data(), 1, text.size(), file);
        std::fclose(file);
        return path;
    }

    std::filesystem::path folder;
    std::unique_ptr<MeshModel> model = std::make_unique<MeshModel>();
};

// The files here name no pictures: the viewer's texture maker ends the
// process on a picture that cannot be read.
TEST_F(MeshLoad, AWholeFileLoadsWithoutAMessage)
{
    const Report report = model->load(write("tuft.vxm", "1 0 3 0 0 0 0 0 1 0 0 1 0 0 1 0 0 1 1 0 1 2 0").c_str());
    EXPECT_FALSE(report.failed());
    EXPECT_EQ(model->subMeshCount, 1);
    EXPECT_EQ(model->subMeshes[0].triangleCount, 1);
}

TEST_F(MeshLoad, AMissingFileSaysSoAndLeavesAnEmptyModel)
{
    model->subMeshCount = 3; // as if something had been read before
    const std::string path = (folder / "palme4.vxm").string();
    const Report report = model->load(path.c_str());
    EXPECT_EQ(report.failure, Failure::Read);
    EXPECT_EQ(report.text, "Could not open mesh file " + path);
    EXPECT_EQ(model->subMeshCount, 0);
}

TEST_F(MeshLoad, AMalformedFileNamesTheFileAndTheFault)
{
    const std::string path = write("grass2.vxm", "2 0 1 0 0 0 0 0 0 0 501 7");
    const Report report = model->load(path.c_str());
    EXPECT_EQ(report.failure, Failure::Read);
    EXPECT_EQ(report.text, "Could not read mesh file " + path + ": a sub-mesh has too many vertices");
    EXPECT_EQ(model->subMeshCount, 2);
    EXPECT_EQ(model->subMeshes[0].vertexCount, 1);
}

// Drawing, read back through feedback with identity transforms.
class MeshDraw : public ::testing::Test {
protected:
    void SetUp() override
    {
        REQUIRE_GL_CONTEXT();
        useClipSpaceView();
        glDisable(GL_CULL_FACE);
        glEnable(GL_TEXTURE_2D);
        glGenTextures(2, textures);
        for (GLuint name : textures)
            glBindTexture(GL_TEXTURE_2D, name);
        while (glGetError() != GL_NO_ERROR) {}
    }
    void TearDown() override
    {
        glDeleteTextures(2, textures);
        glEnable(GL_CULL_FACE);
    }

    GLuint boundTexture()
    {
        GLint name = -1;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &name);
        return static_cast<GLuint>(name);
    }

    GLuint textures[2] = {};
    std::unique_ptr<MeshModel> model = std::make_unique<MeshModel>();
};

TEST_F(MeshDraw, EachTriangleIsOneBatchInFileOrderInWhite)
{
    const char* text = "1 0 3\n"
                       "0.5 0.25 0 0.5 0.25\n"
                       "-0.5 0 0 1 0\n"
                       "0 -0.5 0 0 1\n"
                       "2 2 0 1 0 1 2 0";
    ASSERT_EQ(parseMesh(text, std::strlen(text), *model, recordTexture), nullptr);
    glColor3f(1, 0, 0);
    const std::vector<FeedbackRecord> sent = captureFeedback([&] { model->draw(); });
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    ASSERT_EQ(sent.size(), 2u);
    ASSERT_EQ(sent[0].token, static_cast<GLenum>(GL_POLYGON_TOKEN));
    ASSERT_EQ(sent[0].vertices.size(), 3u);

    // Triangle 2 0 1: vertex 2, then 0, then 1; window x = (x + 1) * 400.
    const FeedbackVertex* v = sent[0].vertices.data();
    EXPECT_FLOAT_EQ(v[0].x, 400);
    EXPECT_FLOAT_EQ(v[0].y, 150);
    EXPECT_FLOAT_EQ(v[0].s, 0);
    EXPECT_FLOAT_EQ(v[0].t, 1);
    EXPECT_FLOAT_EQ(v[1].x, 600);
    EXPECT_FLOAT_EQ(v[1].y, 375);
    EXPECT_FLOAT_EQ(v[1].s, 0.5f);
    EXPECT_FLOAT_EQ(v[1].t, 0.25f);
    EXPECT_FLOAT_EQ(v[2].x, 200);
    EXPECT_FLOAT_EQ(v[2].s, 1);
    for (int k = 0; k < 3; ++k) {
        EXPECT_FLOAT_EQ(v[k].r, 1);
        EXPECT_FLOAT_EQ(v[k].g, 1) << "the colour was not set to white";
        EXPECT_FLOAT_EQ(v[k].b, 1);
    }
    EXPECT_FLOAT_EQ(sent[1].vertices[0].x, 600) << "second triangle 0 1 2";
}

TEST_F(MeshDraw, ASubMeshWithoutTrianglesStillBindsItsTexture)
{
    model->subMeshCount = 2;
    model->textureCount = 2;
    model->textures[0] = textures[0];
    model->textures[1] = textures[1];
    model->textureIndices[0] = 0;
    model->textureIndices[1] = 1;
    model->subMeshes[0].vertexCount = 3;
    model->subMeshes[0].triangleCount = 1;
    model->subMeshes[0].triangles[0][1] = 1;
    model->subMeshes[0].triangles[0][2] = 2;
    glBindTexture(GL_TEXTURE_2D, textures[0]);
    const std::vector<FeedbackRecord> sent = captureFeedback([&] { model->draw(); });
    EXPECT_EQ(countRecords(sent, GL_POLYGON_TOKEN), 1);
    EXPECT_EQ(boundTexture(), textures[1]);
}

TEST_F(MeshDraw, ATextureIndexNamingNoPictureBindsZero)
{
    model->subMeshCount = 1;
    model->textureCount = 1;
    model->textures[0] = textures[0];
    // 5 lies inside the table past the names read; the others outside it.
    for (int32_t index : {5, kMaxMeshTextures, -7, 1 << 30}) {
        model->textureIndices[0] = index;
        glBindTexture(GL_TEXTURE_2D, textures[1]);
        model->draw();
        EXPECT_EQ(boundTexture(), 0u) << index;
    }
}

// A record filled by other means than the reader is not trusted either: with
// ASan, a read past the record would end the test.
TEST_F(MeshDraw, IndicesOutsideTheListsAreNeverFollowed)
{
    model->subMeshCount = kMaxSubMeshes + 5;
    SubMesh& first = model->subMeshes[0];
    first.vertexCount = 3;
    first.vertices[0] = {0.5f, 0, 0, 0, 0};
    first.vertices[1] = {0, 0.5f, 0, 0, 0};
    first.vertices[2] = {-0.5f, 0, 0, 0, 0};
    first.triangleCount = 4;
    const int32_t triangles[4][3] = {{0, 1, 2}, {0, 1, 3}, {0, -1, 2}, {2, 1, 0}};
    std::memcpy(first.triangles, triangles, sizeof triangles);
    // A count beyond the capacity, and an index inside it but past it.
    SubMesh& second = model->subMeshes[1];
    second.vertexCount = kMaxSubMeshVertices + 100;
    second.triangleCount = 1;
    second.vertices[0] = {0.5f, 0, 0, 0, 0};
    second.vertices[1] = {0, 0.5f, 0, 0, 0};
    second.triangles[0][0] = 0;
    second.triangles[0][1] = 1;
    second.triangles[0][2] = kMaxSubMeshVertices + 50;
    model->subMeshes[2].triangleCount = kMaxSubMeshTriangles + 1;
    model->subMeshes[2].vertexCount = -1;

    const std::vector<FeedbackRecord> sent = captureFeedback([&] { model->draw(); });
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    ASSERT_EQ(countRecords(sent, GL_POLYGON_TOKEN), 2) << "only 0 1 2 and 2 1 0 are drawn";
    EXPECT_FLOAT_EQ(sent[0].vertices[0].x, 600);
    EXPECT_FLOAT_EQ(sent[1].vertices[0].x, 200);
}

} // namespace
