#include "common/sandbox.h"

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <seccomp.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// The kernel's Landlock interface, spelled out here: the C library has no
// wrappers, and the system's headers may stop at an older version.
#ifndef SYS_landlock_create_ruleset
#define SYS_landlock_create_ruleset 444
#define SYS_landlock_add_rule 445
#define SYS_landlock_restrict_self 446
#endif

constexpr uint32_t kCreateRulesetVersion = 1u << 0;
constexpr int kRulePathBeneath = 1;

// File rights, with the version that added each.
constexpr uint64_t kExecute = 1ull << 0;
constexpr uint64_t kWriteFile = 1ull << 1;
constexpr uint64_t kReadFile = 1ull << 2;
constexpr uint64_t kReadDir = 1ull << 3;
constexpr uint64_t kRemoveDir = 1ull << 4;
constexpr uint64_t kRemoveFile = 1ull << 5;
constexpr uint64_t kMakeDir = 1ull << 7;
constexpr uint64_t kMakeReg = 1ull << 8;
constexpr uint64_t kFirstFileRights = (1ull << 13) - 1; // version 1: execute to make-symlink
constexpr uint64_t kRefer = 1ull << 13;                 // version 2
constexpr uint64_t kTruncate = 1ull << 14;              // version 3
constexpr uint64_t kIoctlDev = 1ull << 15;              // version 5
// The rights a rule on a file (rather than a folder) may carry.
constexpr uint64_t kRightsOfAFile = kExecute | kWriteFile | kReadFile | kTruncate | kIoctlDev;

// Network rights, version 4.
constexpr uint64_t kBindTcp = 1ull << 0;
constexpr uint64_t kConnectTcp = 1ull << 1;

// Scopes, version 6: abstract local sockets and signals of processes outside
// the sandbox.
constexpr uint64_t kScopeAbstractSocket = 1ull << 0;
constexpr uint64_t kScopeSignal = 1ull << 1;

constexpr uint64_t kReadRights = kReadFile | kReadDir;
// The video's muxer reads its file back to move the index to the front.
constexpr uint64_t kWriteRights =
    kReadFile | kReadDir | kWriteFile | kTruncate | kMakeReg | kMakeDir | kRemoveFile | kRemoveDir | kRefer;

// An older kernel takes the shorter record as long as the fields it does
// not know are zero.
struct RulesetAttributes {
    uint64_t handledFileRights;
    uint64_t handledNetRights;
    uint64_t scoped;
};

struct __attribute__((packed)) PathBeneath {
    uint64_t allowed;
    int32_t parentFd;
};

int landlockVersion()
{
    const long version = syscall(SYS_landlock_create_ruleset, nullptr, 0, kCreateRulesetVersion);
    return version < 0 ? -errno : static_cast<int>(version);
}

RulesetAttributes handledBy(int version)
{
    RulesetAttributes handled{kFirstFileRights, 0, 0};
    if (version >= 2)
        handled.handledFileRights |= kRefer;
    if (version >= 3)
        handled.handledFileRights |= kTruncate;
    if (version >= 4)
        handled.handledNetRights = kBindTcp | kConnectTcp;
    if (version >= 5)
        handled.handledFileRights |= kIoctlDev;
    if (version >= 6)
        handled.scoped = kScopeAbstractSocket | kScopeSignal;
    return handled;
}

// Adds the rights beneath one folder (or on one file). False, with the
// reason, when it exists but cannot be added; one that is missing or out of
// reach is passed over, since nothing could be read there anyway.
bool allowBeneath(int ruleset, const fs::path& path, uint64_t rights, std::string& problem)
{
    const int fd = open(path.c_str(), O_PATH | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR || errno == EACCES)
            return true;
        problem = "cannot open " + path.string() + " for its rule: " + std::strerror(errno);
        return false;
    }
    struct stat status {};
    if (fstat(fd, &status) == 0 && !S_ISDIR(status.st_mode))
        rights &= kRightsOfAFile;
    const PathBeneath rule{rights, fd};
    const bool added = syscall(SYS_landlock_add_rule, ruleset, kRulePathBeneath, &rule, 0) == 0;
    if (!added)
        problem = "cannot add the rule for " + path.string() + ": " + std::strerror(errno);
    close(fd);
    return added;
}

bool lockWithLandlock(int version, const SandboxRules& rules, std::string& problem)
{
    // TCP is handled and no port rule is added: every connect and bind is
    // refused.
    const RulesetAttributes handled = handledBy(version);
    const int ruleset = static_cast<int>(syscall(SYS_landlock_create_ruleset, &handled, sizeof handled, 0));
    if (ruleset < 0) {
        problem = std::string("cannot make the rule set: ") + std::strerror(errno);
        return false;
    }
    bool added = true;
    for (const fs::path& folder : rules.readFolders)
        added = added && allowBeneath(ruleset, folder, kReadRights & handled.handledFileRights, problem);
    for (const fs::path& folder : rules.writeFolders)
        added = added && allowBeneath(ruleset, folder, kWriteRights & handled.handledFileRights, problem);
    bool locked = false;
    if (added) {
        locked = prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 && syscall(SYS_landlock_restrict_self, ruleset, 0) == 0;
        if (!locked)
            problem = std::string("cannot lock: ") + std::strerror(errno);
    }
    close(ruleset);
    return locked;
}

} // namespace

std::vector<fs::path> systemReadFolders(SystemData data)
{
    // The libraries loaded on demand (GDAL's plugins, character sets), and
    // the process's own memory map, which the sanitizers read.
    std::vector<fs::path> folders = {"/usr/lib", "/lib", "/lib64", "/proc/self"};
    if (data == SystemData::Geodata) {
        folders.insert(folders.end(), {"/usr/share/gdal", "/usr/share/proj"});
        for (const char* variable : {"GDAL_DATA", "PROJ_DATA", "PROJ_LIB"})
            if (const char* folder = std::getenv(variable); folder && *folder)
                folders.emplace_back(folder);
        return folders;
    }
    // Where fontconfig looks, so the overlay's face is the viewer's.
    folders.insert(folders.end(), {"/etc/fonts", "/usr/share/fontconfig", "/usr/share/fonts",
                                   "/usr/local/share/fonts", "/var/cache/fontconfig"});
    const char* home = std::getenv("HOME");
    const auto userFolder = [&](const char* variable, const char* below, const char* name) {
        if (const char* base = std::getenv(variable); base && *base == '/')
            folders.push_back(fs::path(base) / name);
        else if (home && *home == '/')
            folders.push_back(fs::path(home) / below / name);
    };
    userFolder("XDG_CONFIG_HOME", ".config", "fontconfig");
    userFolder("XDG_DATA_HOME", ".local/share", "fonts");
    userFolder("XDG_CACHE_HOME", ".cache", "fontconfig");
    // Mesa's shader cache, read only: it holds machine code that the viewer
    // runs, so a locked process must not write it, but what the viewer
    // compiled before saves a second or two of start-up.
    if (const char* cache = std::getenv("MESA_SHADER_CACHE_DIR"); cache && *cache == '/')
        folders.emplace_back(cache);
    else
        userFolder("XDG_CACHE_HOME", ".cache", "mesa_shader_cache");
    if (home && *home == '/')
        for (const char* name : {".fonts", ".fonts.conf", ".fonts.conf.d", ".fontconfig"})
            folders.push_back(fs::path(home) / name);
    return folders;
}

bool refuseNewSockets(std::string& problem)
{
    scmp_filter_ctx filter = seccomp_init(SCMP_ACT_ALLOW);
    if (!filter) {
        problem = "cannot make the socket filter";
        return false;
    }
    // Threads started before the lock (a renderer's) get the filter too.
    int error = seccomp_attr_set(filter, SCMP_FLTATR_CTL_TSYNC, 1);
    if (error == 0)
        error = seccomp_rule_add(filter, SCMP_ACT_ERRNO(EACCES), SCMP_SYS(socket), 0);
    if (error == 0)
        error = seccomp_rule_add(filter, SCMP_ACT_ERRNO(EACCES), SCMP_SYS(io_uring_setup), 0);
    if (error == 0)
        error = seccomp_load(filter);
    seccomp_release(filter);
    if (error != 0)
        problem = std::string("cannot load the socket filter: ") + std::strerror(-error);
    return error == 0;
}

SandboxReport lockSandbox(const SandboxRules& rules)
{
    SandboxReport report;
    const int version = landlockVersion();
    // Missing from the kernel, or turned off when it started.
    const bool noLandlock = version == -ENOSYS || version == -EOPNOTSUPP;
    if (version < 0 && !noLandlock) {
        report.problem = std::string("cannot ask for Landlock: ") + std::strerror(-version);
        return report;
    }
    if (!noLandlock && !lockWithLandlock(version, rules, report.problem))
        return report;
    if (!refuseNewSockets(report.problem))
        return report;
    report.lock = noLandlock ? SandboxLock::SocketsOnly : SandboxLock::Landlock;
    return report;
}

bool enterToolSandbox(const char* tool, const SandboxRules& rules, const char* without)
{
    const SandboxReport report = lockSandbox(rules);
    if (report.lock == SandboxLock::Failed) {
        std::fprintf(stderr, "%s: the sandbox cannot be set up (%s), so nothing is read\n", tool,
                     report.problem.c_str());
        return false;
    }
    if (report.lock == SandboxLock::SocketsOnly)
        std::fprintf(stderr, "%s: this kernel has no Landlock; %s\n", tool, without);
    return true;
}

std::optional<ChildEnding> continueInChild(const char* tool)
{
    std::fflush(nullptr); // nothing written before is written twice
    const pid_t parent = getpid();
    const pid_t child = fork();
    if (child == 0) {
        // The child ends with the tool, however the tool is ended.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent)
            std::_Exit(1);
        return std::nullopt;
    }
    if (child < 0) {
        std::fprintf(stderr, "%s: cannot start the work: %s\n", tool, std::strerror(errno));
        return ChildEnding{1, 0};
    }
    // Ctrl+C reaches the child too; the tool waits for it to end.
    std::signal(SIGINT, SIG_IGN);
    int status = 0;
    while (waitpid(child, &status, 0) < 0)
        if (errno != EINTR)
            return ChildEnding{1, 0};
    std::signal(SIGINT, SIG_DFL);
    if (WIFSIGNALED(status))
        return ChildEnding{0, WTERMSIG(status)};
    return ChildEnding{WEXITSTATUS(status), 0};
}

int endLikeChild(const ChildEnding& ending)
{
    if (ending.signal == 0)
        return ending.status;
    // The child left its own core, if any; the tool leaves none.
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    std::signal(ending.signal, SIG_DFL);
    std::raise(ending.signal);
    return 128 + ending.signal;
}
