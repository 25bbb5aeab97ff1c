#pragma once
// The screenshot key: F12 saves the frame on screen as
// lumora-YYYYMMDD-HHMMSS.png (local time) in the folder the viewer was started
// from (Shell::startFolder), or in the user's picture folder when that one
// cannot be written, and says on standard error where it went. Only a press
// allocates: the pixels and the file names live for the one save. The walks
// that F9 records go to the same place, by the same rules.

#include <cstdint>
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

// Reads width x height RGB pixels (bottom row first) of the picture just drawn.
// They come from the back buffer, before the swap shows it, since what a front
// buffer holds after a swap is the window system's business.
void readBackBuffer(int width, int height, uint8_t* pixels);

// Writes width x height RGB pixels (bottom row first, as GL reads them) into
// startFolder, else the picture folder. Returns false, having said so, when
// no folder could take the file.
bool saveScreenshot(const std::string& startFolder, int width, int height, const uint8_t* pixels);

// Writes a file into startFolder, else the picture folder, named for the
// local time with the extension (".walk"), -2, -3 and on added when a file
// has the name: `write` makes the file at a path and says whether it could.
// Returns the path written, or empty, having said on standard error that
// `what` ("the walk") could not be saved, when no folder could take it.
using SaveWriter = bool (*)(const char* path, const void* content);
std::string saveWhereScreenshotsGo(const std::string& startFolder, const char* extension, const char* what,
                                   SaveWriter write, const void* content);
