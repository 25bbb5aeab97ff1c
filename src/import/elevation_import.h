#pragma once
// Opening an elevation model directly: `lumora FILE` imports FILE with the
// generator's default options into a landscape folder in the user's cache and
// shows that. The viewer never reads the model itself; it runs
// lumora-landscape from its own folder, so the tools package brings the
// readers and the viewer stays small.
//
// The user may add a picture (--image), a track (--track) and the choice of
// plants (--plants); they are handed to the generator as they are.
//
// One cache folder per import, named by a hash of the files (each one's full
// path, device, inode, size and modification time: the elevation model, and
// the picture and track where given), the options, the generator (its
// version, compiled into the viewer, and its file's size and modification
// time: it is not run to ask) and the revision of this naming, so a changed
// file or a newer generator imports afresh and anything else is reused at
// once, without starting a process. An import is
// written into a ".partial" folder beside it and renamed when complete: an
// interrupted one never looks like a cached landscape, and the next import
// clears it away.

#include "assets/landscape_facts.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// What the user adds to the import of a FILE; null where not given.
struct ImportChoices {
    const char* image = nullptr;  // --image PICTURE: the terrain picture from the user's imagery
    const char* track = nullptr;  // --track TRACK: a GPX, GeoJSON or KML line drawn on the ground
    const char* plants = nullptr; // --plants none|palms
    bool any() const { return image || track || plants; }
    // One option given, by name, for a message; null when none is.
    const char* optionGiven() const
    {
        return image ? kImageOption : track ? kTrackOption : plants ? kPlantsOption : nullptr;
    }
};

// Which version of a file an import read: a file replaced or touched is
// another one.
struct FileIdentity {
    uint64_t device, inode, size;
    int64_t modifiedSeconds, modifiedNanoseconds;
};

// $XDG_CACHE_HOME/lumora, or $HOME/.cache/lumora when XDG_CACHE_HOME is unset,
// empty or relative (such a value is to be ignored); empty when neither gives
// an absolute folder.
std::filesystem::path landscapeCacheRoot(const char* xdgCacheHome, const char* home);

// The cache folder's name for an import: what identifies the generator, the
// options it is given (files by their full paths) and the identity of every
// file it reads.
std::string landscapeCacheName(const std::string& generator, const std::vector<std::string>& options,
                               const std::vector<FileIdentity>& files);

// Imports the file unless the cache already holds it, saying what it does on
// standard error, with a progress line while the generator runs. Returns the
// landscape folder, or an empty path, having said why in one line, when a
// file cannot be read or imported or the generator is not installed.
std::filesystem::path importElevationModel(const std::filesystem::path& file, const ImportChoices& choices,
                                           const std::filesystem::path& viewerExecutable);
