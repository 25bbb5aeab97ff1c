#pragma once
// Opening an elevation model directly: `lumora FILE` imports FILE with the
// generator's default options into a landscape folder in the user's cache and
// shows that. The viewer never reads the model itself; it runs
// lumora-landscape from its own folder, so the tools package brings the
// readers and the viewer stays small.
//
// One cache folder per import, named by a hash of the file (its full path,
// device, inode, size and modification time), the options and the generator's
// version line, so a changed file or a newer generator imports afresh and
// anything else is reused at once. An import is written into a ".partial"
// folder beside it and renamed when complete: an interrupted one never looks
// like a cached landscape, and the next import clears it away.

#include <filesystem>

// $XDG_CACHE_HOME/lumora, or $HOME/.cache/lumora when XDG_CACHE_HOME is unset,
// empty or relative (such a value is to be ignored); empty when neither gives
// an absolute folder.
std::filesystem::path landscapeCacheRoot(const char* xdgCacheHome, const char* home);

// Imports the file unless the cache already holds it, saying what it does on
// standard error, with a progress line while the generator runs. Returns the
// landscape folder, or an empty path, having said why in one line, when the
// file cannot be imported or the generator is not installed.
std::filesystem::path importElevationModel(const std::filesystem::path& file,
                                           const std::filesystem::path& viewerExecutable);
