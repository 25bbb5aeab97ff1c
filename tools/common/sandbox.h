#pragma once
// The kernel sandbox that a tool enters before it hands untrusted files to
// parsers we did not write (GDAL's drivers, PROJ, libxml2, libtiff). From then
// on the process and every thread it starts read only the folders named here
// and the system's read-only data, write only its output's folder, run no
// program, and open no network connection. The lock lasts until the process
// ends; nothing can lift it.
//
// Landlock holds the file rules, and from its fourth version TCP connect and
// bind (no port is allowed). A seccomp filter refuses every new socket, with
// or without Landlock: UDP and raw sockets are covered, and local ones, whose
// paths Landlock does not guard (a daemon's socket would reach past the
// sandbox); a kernel without Landlock still keeps the import off the network.
// The tools need none once locked: the render's display connection is made
// before. Threads that were running before the lock keep their file rights.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

struct SandboxRules {
    std::vector<std::filesystem::path> readFolders;  // files read and folders listed beneath each
    std::vector<std::filesystem::path> writeFolders; // also files and folders made, written, removed, renamed
};

enum class SandboxLock : uint8_t {
    Landlock,    // the rules hold, and no new socket
    SocketsOnly, // the kernel has no Landlock: only new sockets are refused
    Failed,      // the kernel offers Landlock but the lock could not be made
};

struct SandboxReport {
    SandboxLock lock = SandboxLock::Failed;
    std::string problem; // for Failed, in plain words
};

// The read-only system data that a tool's libraries open while they work:
// for both, the libraries loaded on demand and the process's own /proc
// entries; for the import, GDAL's and PROJ's data (also where GDAL_DATA,
// PROJ_DATA or PROJ_LIB point); for drawing, fontconfig's configuration,
// fonts and caches, the system's and the user's, and Mesa's shader cache
// (read only). Folders that this system lacks are passed over when the rules
// are made.
enum class SystemData : uint8_t { Geodata, Drawing };
std::vector<std::filesystem::path> systemReadFolders(SystemData data);

// Locks the calling process as the rules say. Folders that do not exist or
// cannot be reached are passed over: nothing can be read there anyway.
SandboxReport lockSandbox(const SandboxRules& rules);

// The seccomp filter alone: from now on socket() gives EACCES for every
// family, and io_uring (which could make sockets past the filter) cannot be
// set up. False, with the reason, when the filter cannot be loaded.
bool refuseNewSockets(std::string& problem);

// What a tool does: locks itself, and says on standard error in one line
// when the kernel has no Landlock ("TOOL: this kernel has no Landlock; " and
// `without`, what that leaves). False, having said why, when the lock failed:
// the tool ends with status 1 rather than run unguarded.
bool enterToolSandbox(const char* tool, const SandboxRules& rules, const char* without);

// How a child process ended: its exit status, or the signal that ended it.
struct ChildEnding {
    int status = 0;
    int signal = 0;
    bool succeeded() const { return signal == 0 && status == 0; }
};

// Forks, so that the work runs in a child that may lock itself while the
// tool stays free to tidy up after it (a folder it made, which the locked
// child could not remove). Returns nothing in the child, which ends if the
// tool does; in the tool, how the child ended. A child that cannot be made
// is reported as status 1, having said why.
std::optional<ChildEnding> continueInChild(const char* tool);

// Ends the tool as the child ended: returns the exit status to hand back
// from main, or ends the process with the child's signal.
int endLikeChild(const ChildEnding& ending);
