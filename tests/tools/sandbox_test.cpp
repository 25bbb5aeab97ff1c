// The tools' kernel sandbox, tried as a faulty parser would try it: each case
// locks a child process, so this one stays free.
#include "common/sandbox.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <seccomp.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// One thing the child tries after the lock, and the errno it should get (0:
// it works).
struct Step {
    const char* what;
    std::function<int()> run;
    int expected;
};

// Locks a child with `lock` (false: the lock failed), runs the steps there,
// and checks each one's errno; returns what the child wrote on standard error.
std::string checkInChild(const std::function<bool()>& lock, const std::vector<Step>& steps)
{
    int results[2], err[2];
    EXPECT_EQ(pipe(results) | pipe(err), 0);
    const pid_t child = fork();
    if (child == 0) {
        dup2(err[1], STDERR_FILENO);
        std::vector<int> errors = {lock() ? 0 : -1};
        for (const Step& step : steps)
            errors.push_back(step.run());
        const size_t size = errors.size() * sizeof(int);
        _exit(write(results[1], errors.data(), size) == static_cast<ssize_t>(size) ? 0 : 1);
    }
    close(results[1]);
    close(err[1]);
    std::vector<int> errors(steps.size() + 1, -2);
    EXPECT_EQ(read(results[0], errors.data(), errors.size() * sizeof(int)),
              static_cast<ssize_t>(errors.size() * sizeof(int)));
    std::string text(512, '\0');
    text.resize(static_cast<size_t>(std::max<ssize_t>(read(err[0], text.data(), text.size()), 0)));
    close(results[0]);
    close(err[0]);
    int status = -1;
    waitpid(child, &status, 0);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(errors[0], 0) << "the lock";
    for (size_t i = 0; i < steps.size(); ++i)
        EXPECT_EQ(errors[i + 1], steps[i].expected) << steps[i].what;
    return text;
}

int errorOf(long result) { return result < 0 ? errno : 0; }

int openError(const fs::path& file, int flags)
{
    const int fd = open(file.c_str(), flags | O_CLOEXEC, 0644);
    return fd < 0 ? errno : (close(fd), 0);
}

int newSocketError(int family, int type)
{
    const int fd = socket(family, type, 0);
    return fd < 0 ? errno : (close(fd), 0);
}

long landlockVersion() { return syscall(SYS_landlock_create_ruleset, nullptr, 0, 1u); }

fs::path scratch(const std::string& name)
{
    const fs::path folder = fs::path(TOOLS_TEST_SCRATCH) / ("sandbox-" + name + "." + std::to_string(getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder;
}

TEST(Sandbox, ReadsOnlyItsFoldersAndWritesOnlyItsOutput)
{
    if (landlockVersion() < 1)
        GTEST_SKIP() << "this kernel has no Landlock";
    const fs::path in = scratch("in"), out = scratch("out"), elsewhere = scratch("elsewhere");
    std::ofstream(in / "dem.tif") << "heights";
    std::ofstream(elsewhere / "secret") << "not for the import";
    fs::create_symlink(elsewhere / "secret", in / "link.tif");
    const auto lock = [&] { return lockSandbox({{in}, {out}}).lock == SandboxLock::Landlock; };
    checkInChild(
        lock,
        {
            {"read an input", [&] { return openError(in / "dem.tif", O_RDONLY); }, 0},
            {"read outside", [&] { return openError(elsewhere / "secret", O_RDONLY); }, EACCES},
            {"read through a link", [&] { return openError(in / "link.tif", O_RDONLY); }, EACCES},
            {"read /etc/passwd", [] { return openError("/etc/passwd", O_RDONLY); }, EACCES},
            {"write an input", [&] { return openError(in / "dem.tif", O_WRONLY); }, EACCES},
            {"make a file beside the inputs", [&] { return openError(in / "new", O_WRONLY | O_CREAT); }, EACCES},
            {"write the output", [&] { return openError(out / "Tertest.raw", O_WRONLY | O_CREAT | O_TRUNC); }, 0},
            {"rename in the output",
             [&] { return errorOf(rename((out / "Tertest.raw").c_str(), (out / "Tertest.old").c_str())); }, 0},
            {"remove outside", [&] { return errorOf(unlink((elsewhere / "secret").c_str())); }, EACCES},
            {"run a program", [] { return errorOf(execl("/bin/true", "true", nullptr)); }, EACCES},
        });
    EXPECT_TRUE(fs::exists(elsewhere / "secret"));
}

// A socket made before the lock is what Landlock's TCP rule is left to
// refuse; a new one the socket filter refuses first.
TEST(Sandbox, ReachesNoListenerOnThisMachine)
{
    if (landlockVersion() < 4)
        GTEST_SKIP() << "this kernel's Landlock has no TCP rules";
    const int listener = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    const auto at = reinterpret_cast<sockaddr*>(&address);
    ASSERT_EQ(bind(listener, at, size) | listen(listener, 4) | getsockname(listener, at, &size), 0);
    int early = -1;
    const auto lock = [&] {
        early = socket(AF_INET, SOCK_STREAM, 0);
        return lockSandbox({}).lock == SandboxLock::Landlock;
    };
    checkInChild(lock, {
                           {"connect", [&] { return errorOf(connect(early, at, size)); }, EACCES},
                           {"bind", [&] { return errorOf(bind(early, at, size)); }, EACCES},
                           {"a new socket", [] { return newSocketError(AF_INET6, SOCK_STREAM); }, EACCES},
                       });
    EXPECT_LT(accept(listener, nullptr, nullptr), 0);
    EXPECT_EQ(errno, EAGAIN);
    close(listener);
}

// The kernel's answer to "which Landlock?" made up by a filter of the
// test's own: without Landlock the tool says so and goes on with the socket
// filter alone, which refuses every new socket; any other failure ends it
// rather than run unguarded.
TEST(Sandbox, WithoutLandlockSaysSoAndStillRefusesSockets)
{
    const struct {
        int kernelSays;
        std::string err;
    } cases[] = {
        {ENOSYS, "tool: this kernel has no Landlock; it runs without network sockets\n"},
        {EOPNOTSUPP, "tool: this kernel has no Landlock; it runs without network sockets\n"},
        {EPERM, "tool: the sandbox cannot be set up (cannot ask for Landlock: Operation not permitted), so nothing "
                "is read\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kernelSays);
        const bool runs = c.kernelSays != EPERM;
        const auto lock = [&] {
            scmp_filter_ctx fake = seccomp_init(SCMP_ACT_ALLOW);
            seccomp_rule_add(fake, SCMP_ACT_ERRNO(static_cast<uint32_t>(c.kernelSays)), SYS_landlock_create_ruleset,
                             0);
            const bool faked = seccomp_load(fake) == 0;
            seccomp_release(fake);
            return faked && enterToolSandbox("tool", {}, "it runs without network sockets") == runs;
        };
        std::vector<Step> steps = {{"read anywhere", [] { return openError("/etc/passwd", O_RDONLY); }, 0}};
        for (const auto& [family, type] : {std::pair{AF_INET, SOCK_STREAM},
                                           {AF_INET6, SOCK_DGRAM},
                                           {AF_NETLINK, SOCK_RAW},
                                           {AF_PACKET, SOCK_DGRAM},
                                           {AF_UNIX, SOCK_STREAM}})
            steps.push_back({"a socket", [=] { return newSocketError(family, type); }, runs ? EACCES : 0});
        EXPECT_EQ(checkInChild(lock, steps), c.err);
    }
}

} // namespace
