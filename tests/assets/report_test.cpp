#include "assets/report.h"

#include <gtest/gtest.h>

namespace {

// The one line a tool writes after its own name: the file and line where the
// report has them.
TEST(Report, OneLineNamesTheFileAndTheLineWhereThereAreOnes)
{
    struct Case {
        Report report;
        const char* line;
    };
    const Case cases[] = {
        {{Failure::Read, "walk.walk", 3, "the time goes back"}, "walk.walk:3: the time goes back"},
        {{Failure::Read, "dem.tif", 0, "cannot be found"}, "dem.tif: cannot be found"},
        {{Failure::Make, "", 0, "cannot draw offscreen"}, "cannot draw offscreen"},
        {{Failure::Read, "", 7, "no file, so no line"}, "no file, so no line"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(reportLine(c.report), c.line);
}

} // namespace
