#pragma once
// The screenshot key: F12 saves the frame on screen as
// lumora-YYYYMMDD-HHMMSS.png in the save folder (surface/save_folder.h) and
// says on standard error where it went. Only a press allocates: the pixels
// live for the one save.

#include "surface/frame_surface.h"

#include <string>

// Reads back what the window shows, or the offscreen picture, at width x
// height and saves it. Returns false, having said so, when no folder could
// take the file.
bool saveFrameAsSeen(const FrameSurface& surface, const std::string& startFolder, int width, int height);
