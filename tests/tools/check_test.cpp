// lumora-check: the generated landscape passes; each broken file is named
// with what the viewer would show and what would follow; single pictures
// decode to the corpus references; single meshes give their counts.
#include "check/data_check.h"
#include "tool_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

namespace {

namespace fs = std::filesystem;

std::string check() { return quotedArgument(LUMORA_CHECK); }

TEST(CheckFolder, TheGeneratedLandscapePassesWithOneLinePerFile)
{
    const ToolRun run = runTool(check() + " " + quotedArgument(generatedSet().string()));
    EXPECT_EQ(run.status, 0) << run.output;
    ASSERT_FALSE(run.lines.empty());
    EXPECT_EQ(run.lines.back(), "the viewer would start without any message");
    for (size_t i = 0; i + 1 < run.lines.size(); ++i)
        EXPECT_NE(run.lines[i].find(": OK ("), std::string::npos) << run.lines[i];

    // Every file the generator wrote is one that the viewer reads, and each is
    // checked exactly once, though several meshes name the same pictures.
    for (const fs::directory_entry& entry : fs::directory_iterator(generatedSet())) {
        const std::string name = entry.path().filename().string();
        if (name == "landscape.version")
            continue;
        const auto lines = std::count_if(run.lines.begin(), run.lines.end(), [&](const std::string& line) {
            return line.rfind(name + ":", 0) == 0 || line.rfind(name + " (named by", 0) == 0;
        });
        EXPECT_EQ(lines, 1) << name;
    }
}

enum class Damage { Remove, Truncate, Replace, Write };

struct BrokenCase {
    const char* label;
    const char* file;
    Damage damage;
    uintmax_t keptBytes; // Truncate: what is left
    const char* standIn; // Replace: a corpus file put in its place; Write: the file's text
    CheckVerdict verdict;
    std::vector<std::string> expected; // each appears in the file's line
    const char* summary;               // the closing line begins so
};

const BrokenCase kBrokenCases[] = {
    {"height map missing",
     "Tertest.raw",
     Damage::Remove,
     0,
     nullptr,
     CheckVerdict::Error,
     {"\"Can't find the height map!\"", "flat ground at height 0"},
     "the viewer would start after 1 message"},
    {"height map short",
     "Tertest.raw",
     Damage::Truncate,
     1000,
     nullptr,
     CheckVerdict::Warning,
     {"no message", "only 1000 of 1048576 bytes", "the rest of the ground is height 0"},
     "the viewer would start without any message, but loses data"},
    {"terrain picture empty",
     "Terrain2.bmp",
     Damage::Truncate,
     0,
     nullptr,
     CheckVerdict::Error,
     {"\"Failed to open DIB file Terrain2.bmp.\"", "the terrain's base layer draws untextured"},
     "the viewer would start after 1 message"},
    {"terrain picture cut to half its rows",
     "Terrain2.bmp",
     Damage::Truncate,
     54 + 512 * 1024 * 3,
     nullptr,
     CheckVerdict::Warning,
     {"no message, but 512 of 1024 rows are missing from the file", "-> they are black"},
     "the viewer would start without any message, but loses data"},
    {"detail picture cut inside its header",
     "Detail1.bmp",
     Damage::Truncate,
     20,
     nullptr,
     CheckVerdict::Error,
     {"-> the terrain's detail layer draws untextured"},
     "the viewer would start after 1 message"},
    {"sky top missing",
     "hillTop.bmp",
     Damage::Remove,
     0,
     nullptr,
     CheckVerdict::Error,
     {"\"Unable to load BMP File!\"", "the top face of the sky box draws untextured"},
     "the viewer would start after 1 message"},
    {"grass mesh missing",
     "grass2.vxm",
     Damage::Remove,
     0,
     nullptr,
     CheckVerdict::Error,
     {"grass2.vxm", "the model is empty: the grass tufts are not drawn"},
     "the viewer would start after 1 message"},
    {"palm mesh cut short",
     "palmect.vxm",
     Damage::Truncate,
     1000,
     nullptr,
     CheckVerdict::Error,
     {"\"Could not read mesh file palmect.vxm", "keep only what was read before the problem"},
     "the viewer would start after 1 message"},
    {"bark picture missing",
     "palmBark.bmp",
     Damage::Remove,
     0,
     nullptr,
     CheckVerdict::Error,
     {"\"Failed to open DIB file palmBark.bmp.\"", "the viewer ends at once with status 0"},
     "the viewer would end before its first frame, at palmBark.bmp"},
    {"frond picture with a 108-byte header",
     "palmFrond.bmp",
     Damage::Replace,
     0,
     "bmpsuite/g/pal8v4.bmp",
     CheckVerdict::Error,
     {"\"Unknown DIB file format.\"", "the viewer ends at once with status 0"},
     "the viewer would end before its first frame, at palmFrond.bmp"},
    {"flyer sprite missing",
     "busch2.tga",
     Damage::Remove,
     0,
     nullptr,
     CheckVerdict::Error,
     {"\"Unable to load TGA File!\"", "the viewer ends at once with status 0"},
     "the viewer would end before its first frame, at busch2.tga"},
    {"flyer sprite cut inside its header",
     "busch2.tga",
     Damage::Truncate,
     10,
     nullptr,
     CheckVerdict::Error,
     {"-> the viewer ends at once with status 0"},
     "the viewer would end before its first frame, at busch2.tga"},
    {"flyer sprite cut short",
     "busch2.tga",
     Damage::Truncate,
     18 + 32 * 128 * 4 + 2,
     nullptr,
     CheckVerdict::Warning,
     {"no message, but 96 of 128 rows are missing from the file", "-> they repeat the last pixel"},
     "the viewer would start without any message, but loses data"},
    {"flyer sprite in 8-bit grey",
     "busch2.tga",
     Damage::Replace,
     0,
     "tga/pillow/200x32_l_bl_raw.tga",
     CheckVerdict::Error,
     {"no message -> the viewer ends at once with status 0"},
     "the viewer would end before its first frame, at busch2.tga"},
    {"geographic reference cut short",
     "landscape.geo.json",
     Damage::Write,
     0,
     "{\"format\": \"lumora-geo\", \"version\": 1",
     CheckVerdict::Error,
     {"it is not JSON: the text ends inside an array or object at byte 37",
      "-> one line on standard error, and the readout (F3) shows \"no geographic reference\""},
     "the viewer would start after 1 message"},
};

TEST(CheckFolder, OneBrokenFileIsNamedWithItsConsequenceAndNothingElseIsFlagged)
{
    for (const BrokenCase& c : kBrokenCases) {
        SCOPED_TRACE(c.label);
        const fs::path folder = copyOfGeneratedSet("broken");
        if (c.damage == Damage::Remove)
            fs::remove(folder / c.file);
        else if (c.damage == Damage::Truncate)
            truncateFile(folder / c.file, c.keptBytes);
        else if (c.damage == Damage::Write)
            std::ofstream(folder / c.file) << c.standIn;
        else
            fs::copy_file(fs::path(LUMORA_CORPORA_DIR) / c.standIn, folder / c.file,
                          fs::copy_options::overwrite_existing);

        const FolderCheck result = checkDataFolder(folder);
        std::vector<const CheckLine*> flagged;
        for (const CheckLine& line : result.lines)
            if (line.verdict != CheckVerdict::Ok)
                flagged.push_back(&line);
        ASSERT_EQ(flagged.size(), 1u);
        const std::string text = formatCheckLine(*flagged.front());
        EXPECT_EQ(text.rfind(std::string(c.file), 0), 0u) << text;
        EXPECT_EQ(flagged.front()->verdict, c.verdict) << text;
        for (const std::string& part : c.expected)
            EXPECT_NE(text.find(part), std::string::npos) << text << "\n  lacks: " << part;
        EXPECT_EQ(formatCheckSummary(result).rfind(c.summary, 0), 0u) << formatCheckSummary(result);
        EXPECT_FALSE(result.allOk());
        EXPECT_EQ(result.startsWithoutMessage(), c.verdict == CheckVerdict::Warning) << text;
        fs::remove_all(folder);
    }
}

TEST(CheckFolder, TheCommandSaysWhichFileAndEndsWithStatus1)
{
    const fs::path folder = copyOfGeneratedSet("command");
    fs::remove(folder / "hillLeft.bmp");
    const ToolRun run = runTool(check() + " " + quotedArgument(folder.string()));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find("hillLeft.bmp: ERROR \"Unable to load BMP File!\" -> the left face of the sky box"),
              std::string::npos)
        << run.output;
    fs::remove_all(folder);
}

TEST(CheckFolder, AFolderThatIsNotThereIsAFailure)
{
    const ToolRun run = runTool(check() + " /nonexistent/lumora-data 2>/dev/null");
    EXPECT_EQ(run.status, 1);
}

TEST(CheckCommandLine, WrongUseIsStatus2AndHelpIsStatus0)
{
    EXPECT_EQ(runTool(check() + " 2>/dev/null").status, 2);
    EXPECT_EQ(runTool(check() + " --image 2>/dev/null").status, 2);
    EXPECT_EQ(runTool(check() + " --image a.bmp --jpeg b 2>/dev/null").status, 2);
    EXPECT_EQ(runTool(check() + " --frobnicate x 2>/dev/null").status, 2);
    const ToolRun help = runTool(check() + " --help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.output.find("--image FILE"), std::string::npos);
}

struct CorpusPicture {
    const char* file;      // under tests/corpora
    const char* reference; // PNG, top row first
    int channels;
    bool upsideDown; // the TGA reader ignores the origin bit: a top-first file shows flipped
};

const CorpusPicture kCorpusPictures[] = {
    {"bmpsuite/g/pal1.bmp", "bmpsuite/ref/pal1.png", 3, false},
    {"bmpsuite/g/pal4rle.bmp", "bmpsuite/ref/pal4.png", 3, false},
    {"bmpsuite/g/pal8os2.bmp", "bmpsuite/ref/pal8.png", 3, false},
    {"bmpsuite/g/pal8topdown.bmp", "bmpsuite/ref/pal8.png", 3, false},
    {"bmpsuite/g/pal8w126.bmp", "bmpsuite/ref/pal8w126.png", 3, false},
    {"bmpsuite/g/rgb24.bmp", "bmpsuite/ref/rgb24.png", 3, false},
    {"bmpsuite/g/rgb32.bmp", "bmpsuite/ref/rgb24.png", 3, false},
    {"tga/pillow/200x32_rgb_bl_raw.tga", "tga/pillow/ref/200x32_rgb.png", 3, false},
    {"tga/pillow/200x32_rgba_bl_rle.tga", "tga/pillow/ref/200x32_rgba.png", 4, false},
    {"tga/generated/t10_24_bl.tga", "tga/generated/ref/t10_24_bl.png", 3, false},
    {"tga/generated/t2_32_tl.tga", "tga/generated/ref/t2_32_tl.png", 4, true},
};

TEST(CheckImage, CorpusPicturesComeOutAsTheirReferences)
{
    const fs::path corpora = LUMORA_CORPORA_DIR;
    const fs::path scratch = fs::path(TOOLS_TEST_SCRATCH) / ("images." + std::to_string(getpid()));
    fs::create_directories(scratch);
    for (const CorpusPicture& c : kCorpusPictures) {
        SCOPED_TRACE(c.file);
        const fs::path png = scratch / "out.png";
        fs::remove(png);
        const ToolRun run = runTool(check() + " --image " + quotedArgument((corpora / c.file).string()) + " --png " +
                                    quotedArgument(png.string()));
        ASSERT_EQ(run.status, 0) << run.output;
        EXPECT_NE(run.output.find(": OK ("), std::string::npos) << run.output;

        const PngPicture ours = readPng(png, c.channels);
        const PngPicture reference = readPng(corpora / c.reference, c.channels);
        ASSERT_FALSE(reference.pixels.empty());
        ASSERT_EQ(ours.width, reference.width);
        ASSERT_EQ(ours.height, reference.height);
        const size_t row = static_cast<size_t>(ours.width) * c.channels;
        size_t differing = 0;
        for (int y = 0; y < ours.height; ++y) {
            const int referenceRow = c.upsideDown ? ours.height - 1 - y : y;
            differing += !std::equal(ours.pixels.begin() + y * row, ours.pixels.begin() + (y + 1) * row,
                                     reference.pixels.begin() + referenceRow * row);
        }
        EXPECT_EQ(differing, 0u) << "rows that differ from the reference";
    }
    fs::remove_all(scratch);
}

TEST(CheckImage, ARefusedPictureGivesTheReadersMessageAndStatus1)
{
    const std::string corpora = LUMORA_CORPORA_DIR "/";
    const ToolRun v4 = runTool(check() + " --image " + quotedArgument(corpora + "bmpsuite/g/pal8v4.bmp"));
    EXPECT_EQ(v4.status, 1);
    EXPECT_NE(v4.output.find("ERROR \"Unknown DIB file format.\""), std::string::npos) << v4.output;

    // 8-bit grey: the TGA reader refuses it without a message.
    const ToolRun grey = runTool(check() + " --image " + quotedArgument(corpora + "tga/pillow/200x32_l_bl_raw.tga"));
    EXPECT_EQ(grey.status, 1);
    EXPECT_NE(grey.output.find("refuses it without a message"), std::string::npos) << grey.output;

    const ToolRun missing = runTool(check() + " --image /nonexistent/picture.bmp");
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.output.find("Failed to open DIB file /nonexistent/picture.bmp."), std::string::npos)
        << missing.output;
}

TEST(CheckImage, APictureCutShortIsAWarningWithTheRowsItLacks)
{
    const std::string corpora = LUMORA_CORPORA_DIR "/";
    // It decodes at its full size, so the viewer shows it: status 0.
    const fs::path cut = fs::path(TOOLS_TEST_SCRATCH) / ("cut." + std::to_string(getpid()) + ".bmp");
    fs::copy_file(corpora + "bmpsuite/g/rgb24.bmp", cut, fs::copy_options::overwrite_existing);
    truncateFile(cut, 54 + 60 * 384 + 10);
    const ToolRun shortFile = runTool(check() + " --image " + quotedArgument(cut.string()));
    EXPECT_EQ(shortFile.status, 0);
    EXPECT_NE(shortFile.output.find(": WARNING 4 of 64 rows are missing from the file (127 x 64, 3 components)"),
              std::string::npos)
        << shortFile.output;
    fs::remove(cut);
}

fs::path writeMesh(const std::string& name, const std::string& text)
{
    const fs::path folder = fs::path(TOOLS_TEST_SCRATCH) / ("meshes." + std::to_string(getpid()));
    fs::create_directories(folder);
    std::ofstream(folder / name) << text;
    return folder / name;
}

TEST(CheckMesh, ASmallMeshGivesItsCountsAndPictures)
{
    const fs::path mesh = writeMesh("small.vxm", "2\n"
                                                 "0\n3\n0 0 0 0 0\n1 0 0 1 0\n0 1 0 0 1\n1\n0 1 2\n"
                                                 "1\n4\n0 0 0 0 0\n1 0 0 1 0\n0 1 0 0 1\n1 1 0 1 1\n2\n0 1 2\n2 1 3\n"
                                                 "2\nbark.bmp\nleaf.bmp\n");
    const ToolRun run = runTool(check() + " --mesh " + quotedArgument(mesh.string()));
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("OK (2 sub-meshes, 7 vertices, 3 triangles, 2 pictures)"), std::string::npos)
        << run.output;
    EXPECT_NE(run.output.find("picture bark.bmp\n  picture leaf.bmp"), std::string::npos) << run.output;
}

TEST(CheckMesh, ASubMeshThatNamesNoPictureIsAWarning)
{
    const fs::path mesh = writeMesh("untextured.vxm", "1 1 3 0 0 0 0 0 1 0 0 1 0 0 1 0 0 1 1 0 1 2 1 bark.bmp");
    const ToolRun run = runTool(check() + " --mesh " + quotedArgument(mesh.string()));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find("sub-mesh 0 names no picture: drawn untextured"), std::string::npos) << run.output;
}

TEST(CheckMesh, AMeshBeyondTheCapacityOrMissingIsAnError)
{
    const fs::path tooMany = writeMesh("toomany.vxm", "101\n");
    const ToolRun over = runTool(check() + " --mesh " + quotedArgument(tooMany.string()));
    EXPECT_EQ(over.status, 1);
    EXPECT_NE(over.output.find("ERROR \"Could not read mesh file " + tooMany.string() + ": "), std::string::npos)
        << over.output;

    const ToolRun missing = runTool(check() + " --mesh /nonexistent/mesh.vxm");
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.output.find("/nonexistent/mesh.vxm"), std::string::npos) << missing.output;
}

TEST(CheckMesh, TheOriginPalmOfTheGeneratedSetReadsWhole)
{
    const ToolRun run = runTool(check() + " --mesh " + quotedArgument((generatedSet() / "palme4.vxm").string()));
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("picture palmBark.bmp"), std::string::npos) << run.output;
    EXPECT_EQ(run.output.find(" 0 triangles"), std::string::npos) << run.output;
}

} // namespace
