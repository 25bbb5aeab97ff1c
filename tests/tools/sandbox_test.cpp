// The tools' kernel sandbox, tried as a faulty parser would try it: each case
// locks a child process, so this one stays free.
#include "common/sandbox.h"

#include "tool_run.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <netinet/in.h>
#include <seccomp.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// What a locked child saw: one errno a step (0: it worked), and what it
// wrote on standard error.
struct ChildSaw {
    std::vector<int> errors;
    std::string err;
};

// Runs steps in a child process; each returns its errno, or 0.
ChildSaw inChild(const std::function<std::vector<int>()>& steps)
{
    int results[2], err[2];
    EXPECT_EQ(pipe(results), 0);
    EXPECT_EQ(pipe(err), 0);
    const pid_t child = fork();
    if (child == 0) {
        dup2(err[1], STDERR_FILENO);
        const std::vector<int> errors = steps();
        const ssize_t size = static_cast<ssize_t>(errors.size() * sizeof(int));
        _exit(write(results[1], errors.data(), errors.size() * sizeof(int)) == size ? 0 : 1);
    }
    close(results[1]);
    close(err[1]);
    ChildSaw saw;
    int value = 0;
    while (read(results[0], &value, sizeof value) == sizeof value)
        saw.errors.push_back(value);
    char text[512];
    for (ssize_t got; (got = read(err[0], text, sizeof text)) > 0;)
        saw.err.append(text, static_cast<size_t>(got));
    close(results[0]);
    close(err[0]);
    int status = -1;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    return saw;
}

int errorOf(int result) { return result < 0 ? errno : 0; }

int openedError(const fs::path& file, int flags)
{
    const int fd = open(file.c_str(), flags | O_CLOEXEC, 0644);
    if (fd >= 0)
        close(fd);
    return errorOf(fd);
}

int newSocketError(int family, int type)
{
    const int fd = socket(family, type, 0);
    if (fd >= 0)
        close(fd);
    return errorOf(fd);
}

bool kernelHasLandlock() { return syscall(SYS_landlock_create_ruleset, nullptr, 0, 1u) >= 1; }

fs::path scratch(const std::string& name)
{
    const fs::path folder = fs::path(TOOLS_TEST_SCRATCH) / ("sandbox-" + name + "." + std::to_string(getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder;
}

void writeText(const fs::path& file, const std::string& text) { std::ofstream(file) << text; }

TEST(Sandbox, ReadsOnlyItsFoldersAndWritesOnlyItsOutput)
{
    if (!kernelHasLandlock())
        GTEST_SKIP() << "this kernel has no Landlock";
    const fs::path root = scratch("files");
    for (const char* folder : {"inputs", "out", "elsewhere"})
        fs::create_directories(root / folder);
    writeText(root / "inputs" / "dem.tif", "heights");
    writeText(root / "inputs" / "dem.tif.ovr", "overview");
    writeText(root / "elsewhere" / "secret", "not for the import");
    fs::create_symlink(root / "elsewhere" / "secret", root / "inputs" / "link.tif");

    const ChildSaw saw = inChild([&] {
        const SandboxReport report = lockSandbox({{root / "inputs"}, {root / "out"}});
        return std::vector<int>{
            report.lock == SandboxLock::Landlock ? 0 : -1,
            openedError(root / "inputs" / "dem.tif", O_RDONLY),
            openedError(root / "inputs" / "dem.tif.ovr", O_RDONLY),
            openedError(root / "elsewhere" / "secret", O_RDONLY),
            openedError(root / "inputs" / "link.tif", O_RDONLY), // judged where it points
            openedError("/etc/passwd", O_RDONLY),
            openedError(root / "inputs" / "dem.tif", O_WRONLY),
            openedError(root / "inputs" / "new", O_WRONLY | O_CREAT),
            openedError(root / "out" / "Tertest.raw", O_WRONLY | O_CREAT | O_TRUNC),
            errorOf(rename((root / "out" / "Tertest.raw").c_str(), (root / "out" / "Tertest.old").c_str())),
            errorOf(unlink((root / "elsewhere" / "secret").c_str())),
            errorOf(execl("/bin/true", "true", nullptr)),
        };
    });
    const std::vector<int> expected = {0, 0, 0, EACCES, EACCES, EACCES, EACCES, EACCES, 0, 0, EACCES, EACCES};
    EXPECT_EQ(saw.errors, expected);
    EXPECT_TRUE(fs::exists(root / "elsewhere" / "secret"));
    EXPECT_TRUE(fs::exists(root / "out" / "Tertest.old"));
}

// A socket made before the lock is what Landlock's TCP rule is left to
// refuse; a new one the socket filter refuses first. The listener sees no
// connection either way.
TEST(Sandbox, ReachesNoListenerOnThisMachine)
{
    if (syscall(SYS_landlock_create_ruleset, nullptr, 0, 1u) < 4)
        GTEST_SKIP() << "this kernel's Landlock has no TCP rules";
    const int listener = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
    ASSERT_GE(listener, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), size), 0);
    ASSERT_EQ(listen(listener, 4), 0);
    ASSERT_EQ(getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size), 0);

    const ChildSaw saw = inChild([&] {
        const int early = socket(AF_INET, SOCK_STREAM, 0);
        const SandboxReport report = lockSandbox({{}, {}});
        sockaddr_in any{};
        any.sin_family = AF_INET;
        return std::vector<int>{
            report.lock == SandboxLock::Landlock ? 0 : -1,
            errorOf(connect(early, reinterpret_cast<const sockaddr*>(&address), sizeof address)),
            errorOf(bind(early, reinterpret_cast<const sockaddr*>(&any), sizeof any)),
            newSocketError(AF_INET, SOCK_STREAM),
            newSocketError(AF_INET6, SOCK_STREAM),
        };
    });
    const std::vector<int> expected = {0, EACCES, EACCES, EACCES, EACCES};
    EXPECT_EQ(saw.errors, expected);
    EXPECT_LT(accept(listener, nullptr, nullptr), 0);
    EXPECT_EQ(errno, EAGAIN);
    close(listener);
}

TEST(Sandbox, SocketFilterAloneRefusesEveryNewSocket)
{
    const ChildSaw saw = inChild([] {
        std::string problem;
        return std::vector<int>{
            refuseNewSockets(problem) ? 0 : -1,   newSocketError(AF_INET, SOCK_STREAM),
            newSocketError(AF_INET, SOCK_DGRAM),  newSocketError(AF_INET6, SOCK_DGRAM),
            newSocketError(AF_NETLINK, SOCK_RAW), newSocketError(AF_PACKET, SOCK_DGRAM),
            newSocketError(AF_UNIX, SOCK_STREAM),
        };
    });
    const std::vector<int> expected = {0, EACCES, EACCES, EACCES, EACCES, EACCES, EACCES};
    EXPECT_EQ(saw.errors, expected);
}

// The kernel's answer to "which Landlock?" made up by a filter of the
// test's own: without Landlock the tool says so once and goes on with the
// socket filter; any other failure ends it rather than run unguarded.
TEST(Sandbox, WithoutLandlockSaysSoAndStillRefusesSockets)
{
    const fs::path root = scratch("without");
    writeText(root / "elsewhere", "readable without Landlock");
    const struct {
        int kernelSays;
        bool runs;
        std::string err;
    } cases[] = {
        {ENOSYS, true, "tool: this kernel has no Landlock; the work runs without network sockets\n"},
        {EOPNOTSUPP, true, "tool: this kernel has no Landlock; the work runs without network sockets\n"},
        {EPERM, false,
         "tool: the sandbox cannot be set up (cannot ask for Landlock: Operation not permitted), so nothing is "
         "read\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kernelSays);
        const ChildSaw saw = inChild([&] {
            scmp_filter_ctx fake = seccomp_init(SCMP_ACT_ALLOW);
            seccomp_rule_add(fake, SCMP_ACT_ERRNO(static_cast<uint32_t>(c.kernelSays)), SYS_landlock_create_ruleset,
                             0);
            const int loaded = seccomp_load(fake);
            seccomp_release(fake);
            const bool runs =
                enterToolSandbox("tool", {{root / "nothing"}, {}}, "the work runs without network sockets");
            return std::vector<int>{loaded, runs ? 0 : -1, openedError(root / "elsewhere", O_RDONLY),
                                    newSocketError(AF_INET, SOCK_STREAM)};
        });
        const std::vector<int> expected = {0, c.runs ? 0 : -1, 0, c.runs ? EACCES : 0};
        EXPECT_EQ(saw.errors, expected);
        EXPECT_EQ(saw.err, c.err);
    }
}

// The generator works in a locked child; the folders it made for a failed
// import are removed again by the tool, which stays free to.
TEST(Sandbox, FailedImportLeavesNoFolderItMade)
{
    const fs::path root = scratch("import");
    writeText(root / "notes.png", "just some words, no picture\n");
    const ToolRun run = runTool(quotedArgument(LUMORA_LANDSCAPE) + " " + quotedArgument((root / "a/b/c").string()) +
                                " --heightmap " + quotedArgument((root / "notes.png").string()) + " 2>/dev/null");
    EXPECT_EQ(run.status, 1);
    EXPECT_FALSE(fs::exists(root / "a"));
}

} // namespace
