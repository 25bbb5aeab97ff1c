#pragma once
// The save folder: where the viewer saves what a key asks for (F12's
// pictures, F9's walks), as lumora-YYYYMMDD-HHMMSS and the file's extension
// (local time), in the folder the viewer was started from, or in the user's
// picture folder when that one cannot be written. Only a save allocates: the
// file names live for the one save.

#include <ctime>
#include <string>

constexpr int kSaveNameSize = 32; // "lumora-20261209-181500.walk" and its terminator

// "lumora-YYYYMMDD-HHMMSS" and the extension (".png").
void formatSaveName(const std::tm& localTime, const char* extension, char (&name)[kSaveNameSize]);

// The picture folder named by the text of a user-dirs.dirs file
// (XDG_PICTURES_DIR="$HOME/Pictures"), with $HOME replaced; empty when the
// text names none.
std::string picturesFolderFromUserDirs(const std::string& userDirs, const std::string& home);

// The picture folder: the user's XDG setting, else ~/Pictures.
std::string picturesFolder();

// Writes a file into startFolder, else the picture folder, named for the
// local time with the extension (".walk"), -2, -3 and on added when a file
// has the name: `write` makes the file at a path and says whether it could.
// Returns the path written, or empty, having said on standard error that
// `what` ("the walk") could not be saved, when no folder could take it.
using SaveWriter = bool (*)(const char* path, const void* content);
std::string saveToSaveFolder(const std::string& startFolder, const char* extension, const char* what,
                             SaveWriter write, const void* content);
