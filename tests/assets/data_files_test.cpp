// The data formats page names every file of the viewer's table, so a user
// who follows it gives the viewer everything it opens.
#include "assets/data_files.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

namespace {

TEST(DataFiles, TheDataFormatsPageNamesEveryFileOfTheTable)
{
    std::ifstream page(LUMORA_SOURCE_DIR "/docs/data-formats.md");
    ASSERT_TRUE(page) << "docs/data-formats.md not found";
    std::stringstream text;
    text << page.rdbuf();
    const std::string all = text.str();
    const size_t data = all.find("\n## Data files\n");
    ASSERT_NE(data, std::string::npos) << "no Data files section";
    const std::string section = all.substr(data, all.find("\n## ", data + 1) - data);
    for (const DataFileRow& row : kDataFiles)
        EXPECT_NE(section.find(std::string("`") + row.name + "`"), std::string::npos) << row.name;
}

} // namespace
