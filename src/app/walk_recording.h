#pragma once
// The walk key: F9 starts recording the pose as drawn in every frame (the eye
// after ground following, the point looked at, crouch, zoom and wireframe);
// F9 again saves it as lumora-YYYYMMDD-HHMMSS.walk where F12 saves its
// pictures and says on standard error where it went and how long it lasts.
// Quitting while recording saves the walk too, and so does a full buffer (an
// hour at 60 frames a second), with a line that says so. While recording,
// the overlay shows a red mark. Only F9 and the save allocate.

#include "app/frame_input.h"
#include "app/world.h"
#include "view/walk.h"

#include <string>

// startFolder: where the user started the viewer, where the walk is saved.

// F9 pressed: starts recording, or saves the walk being recorded.
void toggleWalkRecording(WalkRecording& walk, const std::string& startFolder);

// Once a frame, after ground following has placed the eye and before the
// passes draw: records the frame's input with the pose as drawn while F9 records.
void recordWalkFrame(WalkRecording& walk, const std::string& startFolder, const World& world,
                     const FrameInput& input);

// After the main loop: saves a walk still being recorded.
void finishWalkRecording(WalkRecording& walk, const std::string& startFolder);
