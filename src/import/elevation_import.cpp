#include "import/elevation_import.h"

#include "import/child_process.h"
#include "assets/landscape_facts.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr const char* kToolsPackage = "lumora-tools";
constexpr const char* kPartialSuffix = ".partial-"; // then the id of the importing process
// Part of every cache folder's name. A new revision leaves the imports of an
// older viewer unused where the generator's output or the naming changed
// but the generator's version line did not.
constexpr const char* kCacheRevision = "cache revision 4";

// 64-bit FNV-1a, as 16 hex digits: short and stable from run to run.
std::string hashName(const std::string& text)
{
    uint64_t hash = 14695981039346656037ull;
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    char name[17];
    std::snprintf(name, sizeof name, "%016llx", static_cast<unsigned long long>(hash));
    return name;
}

// The line the generator says before it gives up, without its name.
std::string lastLine(const std::string& text)
{
    size_t end = text.find_last_not_of("\r\n");
    if (end == std::string::npos)
        return {};
    const size_t start = text.find_last_of('\n', end);
    std::string line = text.substr(start == std::string::npos ? 0 : start + 1, end + 1 - (start + 1));
    const std::string prefix = std::string(kGeneratorName) + ": ";
    if (line.compare(0, prefix.size(), prefix) == 0)
        line.erase(0, prefix.size());
    return line;
}

// What the generator is, without running it: its version, which the viewer
// is built with, and its file's size and modification time, so a generator
// rebuilt or replaced beside the viewer imports afresh.
std::string generatorIdentity(const struct stat& file)
{
    return generatorVersionLine() + ' ' + std::to_string(file.st_size) + ' ' + std::to_string(file.st_mtim.tv_sec) +
           '.' + std::to_string(file.st_mtim.tv_nsec);
}

// The file's full path and identity, or false having said why it cannot be read.
bool identify(const fs::path& file, fs::path& source, FileIdentity& identity)
{
    std::error_code error;
    source = fs::canonical(file, error);
    struct stat facts {};
    if (error || stat(source.c_str(), &facts) != 0) {
        std::fprintf(stderr, "lumora: cannot read %s: %s\n", file.c_str(),
                     error ? error.message().c_str() : std::strerror(errno));
        return false;
    }
    identity = {uint64_t(facts.st_dev), uint64_t(facts.st_ino), uint64_t(facts.st_size),
                int64_t(facts.st_mtim.tv_sec), int64_t(facts.st_mtim.tv_nsec)};
    return true;
}

// One line on why a run of the generator failed: its own last word where it
// gave one.
void reportFailedRun(const ChildOutcome& run, const fs::path& generator, const fs::path& file)
{
    if (run.notRun.failed())
        std::fprintf(stderr, "lumora: %s does not run: %s\n", generator.c_str(), run.notRun.text.c_str());
    else if (run.signal != 0)
        std::fprintf(stderr, "lumora: the import of %s stopped on signal %d\n", file.c_str(), run.signal);
    else if (const std::string reason = lastLine(run.errorOutput); !reason.empty())
        std::fprintf(stderr, "lumora: %s\n", reason.c_str());
    else
        std::fprintf(stderr, "lumora: the import of %s failed (status %d)\n", file.c_str(), run.exitStatus);
}

// Partial folders of this import whose process has ended: an import that was
// cut short. One still running elsewhere is left alone.
void clearInterruptedImports(const fs::path& root, const std::string& name)
{
    const std::string prefix = name + kPartialSuffix;
    std::error_code error;
    std::vector<fs::path> stale;
    for (const fs::directory_entry& entry : fs::directory_iterator(root, error)) {
        const std::string entryName = entry.path().filename().string();
        if (entryName.compare(0, prefix.size(), prefix) != 0)
            continue;
        const long pid = std::strtol(entryName.c_str() + prefix.size(), nullptr, 10);
        if (pid <= 0 || (kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH))
            stale.push_back(entry.path());
    }
    for (const fs::path& folder : stale)
        fs::remove_all(folder, error);
}

// "lumora: importing FILE ..." with the seconds so far, redrawn in place on a
// terminal; elsewhere the line is written once.
struct ProgressLine {
    std::string text;
    bool terminal = isatty(STDERR_FILENO) == 1;
    int seconds = 0;

    void start() const { std::fprintf(stderr, terminal ? "%s" : "%s\n", text.c_str()); }
    void tick()
    {
        if (terminal)
            std::fprintf(stderr, "\r%s %d s", text.c_str(), ++seconds);
    }
    void finish() const
    {
        if (terminal)
            std::fprintf(stderr, "\n");
    }
};

} // namespace

std::string landscapeCacheName(const std::string& generator, const std::vector<std::string>& options,
                               const std::vector<FileIdentity>& files)
{
    std::string identity = std::string(kCacheRevision) + '\n' + generator;
    for (const std::string& option : options)
        identity += '\n' + option;
    for (const FileIdentity& file : files)
        identity += '\n' + std::to_string(file.device) + ' ' + std::to_string(file.inode) + ' ' +
                    std::to_string(file.size) + ' ' + std::to_string(file.modifiedSeconds) + '.' +
                    std::to_string(file.modifiedNanoseconds);
    return hashName(identity);
}

fs::path landscapeCacheRoot(const char* xdgCacheHome, const char* home)
{
    if (xdgCacheHome && xdgCacheHome[0] == '/')
        return fs::path(xdgCacheHome) / "lumora";
    if (home && home[0] == '/')
        return fs::path(home) / ".cache" / "lumora";
    return {};
}

fs::path importElevationModel(const fs::path& file, const ImportChoices& choices, const fs::path& viewerExecutable)
{
    const fs::path generator = viewerExecutable.parent_path() / kGeneratorName;
    // Only the generator beside the viewer, never one found by a relative name.
    struct stat generatorFile {};
    if (!generator.is_absolute() || access(generator.c_str(), X_OK) != 0 ||
        stat(generator.c_str(), &generatorFile) != 0) {
        std::fprintf(stderr, "lumora: cannot open %s: importing it needs %s; install the package %s\n", file.c_str(),
                     kGeneratorName, kToolsPackage);
        return {};
    }

    // The file as the ground, the user's picture, track and plants where
    // given, everything else generated.
    std::vector<std::string> options;
    std::vector<FileIdentity> identities;
    const std::pair<const char*, const char*> files[] = {
        {kHeightMapOption, file.c_str()}, {kImageOption, choices.image}, {kTrackOption, choices.track}};
    for (const auto& [option, name] : files) {
        if (!name)
            continue;
        fs::path source;
        FileIdentity identity{};
        if (!identify(name, source, identity))
            return {};
        options.insert(options.end(), {option, source.string()});
        identities.push_back(identity);
    }
    if (choices.plants)
        options.insert(options.end(), {kPlantsOption, choices.plants});

    std::error_code error;
    const fs::path root = landscapeCacheRoot(std::getenv("XDG_CACHE_HOME"), std::getenv("HOME"));
    if (root.empty()) {
        std::fprintf(stderr, "lumora: no cache folder for the import: set HOME or XDG_CACHE_HOME\n");
        return {};
    }

    const std::string name = landscapeCacheName(generatorIdentity(generatorFile), options, identities);
    const fs::path landscape = root / name;
    if (fs::exists(landscape / kVersionFileName, error)) {
        std::fprintf(stderr, "lumora: showing %s as imported before, from %s\n", file.c_str(), landscape.c_str());
        return landscape;
    }

    fs::create_directories(root, error);
    if (error) {
        std::fprintf(stderr, "lumora: cannot make the cache folder %s: %s\n", root.c_str(), error.message().c_str());
        return {};
    }
    clearInterruptedImports(root, name);
    fs::remove_all(landscape, error); // only whole imports are renamed in: this one was damaged since
    const fs::path partial = root / (name + kPartialSuffix + std::to_string(getpid()));

    std::vector<std::string> arguments = {kGeneratorName, partial.string()};
    arguments.insert(arguments.end(), options.begin(), options.end());
    ProgressLine progress{"lumora: importing " + file.string() + " into " + landscape.string() + " (once) ..."};
    progress.start();
    const auto start = std::chrono::steady_clock::now();
    const ChildOutcome import = runChildProcess(generator, arguments, [&progress] { progress.tick(); });
    progress.finish();
    if (import.exitStatus != 0) {
        fs::remove_all(partial, error);
        reportFailedRun(import, generator, file);
        return {};
    }

    // Another viewer may have finished the same import meanwhile; its folder
    // is as good as this one.
    std::error_code renameError;
    fs::rename(partial, landscape, renameError);
    if (renameError) {
        fs::remove_all(partial, error);
        if (!fs::exists(landscape / kVersionFileName, error)) {
            std::fprintf(stderr, "lumora: cannot keep the import in %s: %s\n", landscape.c_str(),
                         renameError.message().c_str());
            return {};
        }
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    // A line the generator gave on the way is passed on: on a kernel without
    // its sandbox, that the import ran with less.
    if (const std::string said = lastLine(import.errorOutput); !said.empty())
        std::fprintf(stderr, "lumora: %s\n", said.c_str());
    const std::string& model = options[1]; // the path after --heightmap, always the first option
    if (const std::string line = findImportLine(import.output, model); !line.empty())
        std::fprintf(stderr, "lumora: %s\n", line.c_str());
    std::fprintf(stderr, "lumora: imported in %.1f s\n", seconds);
    return landscape;
}
