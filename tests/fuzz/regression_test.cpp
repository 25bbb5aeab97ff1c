// Replays, in the sanitized test build, every input that once broke a reader
// (tests/fuzz/regressions/<reader>/) and the BMP and TGA corpora (tests/corpora) through
// the same checks that the fuzz targets run.
#include "fuzz/reader_checks.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Runs check on every regular file below folder; returns how many there were.
int replayFolder(const fs::path& folder, const ReaderCheck& check, const char* extension = nullptr)
{
    int files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (!entry.is_regular_file() || (extension && entry.path().extension() != extension))
            continue;
        const std::vector<uint8_t> bytes = readFile(entry.path());
        const char* fault = check.check(bytes.data(), bytes.size());
        if (fault)
            ADD_FAILURE() << check.reader << ": " << entry.path() << ": " << fault;
        ++files;
    }
    return files;
}

const ReaderCheck& checkOf(const std::string& reader)
{
    for (const ReaderCheck& check : kReaderChecks)
        if (reader == check.reader)
            return check;
    throw std::invalid_argument(reader);
}

} // namespace

TEST(FuzzRegressions, EveryReaderHasItsFolderAndEveryInputInItIsHandledSoundly)
{
    for (const ReaderCheck& check : kReaderChecks) {
        const fs::path folder = fs::path(LUMORA_FUZZ_REGRESSIONS_DIR) / check.reader;
        ASSERT_TRUE(fs::is_directory(folder)) << folder;
        EXPECT_GT(replayFolder(folder, check), 0) << "no regression inputs for " << check.reader;
    }
}

TEST(FuzzRegressions, EveryFileOfThePictureCorporaIsHandledSoundly)
{
    const fs::path corpora = fs::path(LUMORA_CORPORA_DIR);
    // Counted so that a corpus that went missing fails instead of passing empty.
    EXPECT_GE(replayFolder(corpora / "bmpsuite", checkOf("dib_image"), ".bmp"), 100);
    EXPECT_GE(replayFolder(corpora / "tga", checkOf("tga_image"), ".tga"), 20);
}
