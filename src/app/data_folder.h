#pragma once
// Where the viewer reads its data. It reads every file by its bare name from
// the working directory, so choosing a folder means entering it: DIR when
// given; otherwise the working directory, unless that holds none of the data
// files, in which case the default landscape that is installed with the
// program (PREFIX/share/lumora/landscape beside PREFIX/bin/lumora; a build
// tree generates one at the same place relative to its viewer).
//
// A folder that holds some of the files is the user's data: the viewer reads
// it and shows a box for each missing file, as it would without a choice.

#include <filesystem>
#include <string>

// Makes the folder the working directory. Returns nullptr, or why it cannot:
// "there is no such file or folder", "it is not a folder" or "the folder cannot be
// entered". The viewer and every tool that reads a data folder say it so.
const char* enterFolder(const char* folder);

// True when the folder holds any file of the data-file table.
bool holdsAnyDataFile(const std::filesystem::path& folder);

// PREFIX/share/lumora/landscape for PREFIX/bin/lumora (any folder name).
std::filesystem::path defaultLandscapeFolder(const std::filesystem::path& executable);

// Enters the folder the data is read from, saying on standard error when it
// is the default landscape. Returns false, having said why, when DIR cannot
// be entered.
bool enterDataFolder(const char* folder);
