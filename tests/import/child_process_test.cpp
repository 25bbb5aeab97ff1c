#include "import/child_process.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// How a child ended, as the viewer's lines on a failed import read it.
TEST(ChildProcess, TellsHowTheChildEnded)
{
    struct Case {
        const char* script;
        int exitStatus;
        int signal;
        const char* output;
        const char* errorOutput;
    };
    const Case cases[] = {
        {"echo out; echo said >&2; exit 3", 3, 0, "out\n", "said\n"},
        {"exit 0", 0, 0, "", ""},
        {"kill -TERM $$", -1, 15, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        const ChildOutcome run = runChildProcess("/bin/sh", {"sh", "-c", c.script}, [] {});
        EXPECT_FALSE(run.notRun.failed()) << run.notRun.text;
        EXPECT_EQ(run.exitStatus, c.exitStatus);
        EXPECT_EQ(run.signal, c.signal);
        EXPECT_EQ(run.output, c.output);
        EXPECT_EQ(run.errorOutput, c.errorOutput);
    }
}

TEST(ChildProcess, AProgramThatCannotRunIsReportedApartFromWhatAChildSays)
{
    const ChildOutcome run = runChildProcess("/nonexistent/lumora-landscape", {"lumora-landscape"}, [] {});
    EXPECT_EQ(run.notRun.failure, Failure::Run);
    EXPECT_EQ(run.notRun.text, "No such file or directory");
    EXPECT_EQ(run.exitStatus, -1);
    EXPECT_EQ(run.errorOutput, "");
}

} // namespace
