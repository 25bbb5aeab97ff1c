#pragma once
// One complete picture, in three phases:
//   updateBeforeDrawing  the frame takes its input's states; the camera
//                        moves and the clock ticks (not offline); an automatic
//                        render scale follows the frame time; any window
//                        request still waiting is applied; the frame's
//                        surface is bound (see surface/frame_surface.h), the buffers
//                        cleared and the view set; ground following,
//                        visibility, the flyers' moves
//   drawFrame            every pass, on a world that nothing changes; a
//                        scaled scene is stretched onto the window before
//                        the overlay, and the line of where you stand
//                        follows the overlay while F3 shows it
//   updateAfterSwap      the wing beat, the clock, the hand-over of the frame
//                        delta, the crouch key and the walking bob, and
//                        what a fine ground found wrong since, if anything
// with the picture presented between the last two; a walk that F9 records
// takes the frame's input, with the pose as drawn, between the first two.
// The viewer and every tool draw a frame through renderFrame, each with its
// own FrameInput. The order of the passes is
// fixed: it decides the graphics state each pass finds and what each pass hides.
//
// At entry and exit: the model-view matrix is selected; depth testing, 2-D
// texturing and face culling are on.

#include "app/drawing.h"
#include "app/frame_hooks.h"
#include "app/frame_input.h"
#include "app/shell_state.h"
#include "app/world.h"

constexpr float kSkyBoxOffset = 500; // centre relative to the eye, in x and in z
constexpr float kSkyBoxSize = 9000;

// Mouse look with the screen's cursor and walking with the held keys, within
// the bounds of the ground drawn: the viewer's camera move
// (CameraControl::KeysAndMouse).
void moveCameraByInput(const KeyStateTable& keys, Camera& camera, float frameDelta, const WalkBounds& bounds);

// input.frameDelta: the seconds that the camera walks with in this frame,
// measured at the end of the previous one; the clock advances by it, and the
// flyers move by it in the next frame. hooks: the viewer's ({}) or a tool's probe.
// The shell gives the frame its held keys, its clock, the client area and
// where F12 and F9 save; the drawing, what it draws with.
void renderFrame(Shell& shell, Drawing& drawing, World& world, const FrameInput& input, const FrameHooks& hooks = {});

void updateBeforeDrawing(Shell& shell, Drawing& drawing, World& world, const FrameInput& input,
                         const FrameHooks& hooks = {});
void drawFrame(const Drawing& drawing, const ClientRect& clientRect, const World& world, const FrameInput& input,
               const FrameHooks& hooks = {});
// Saves the picture in startFolder when F12 asked for it, then swaps the
// buffers (an offscreen frame is left for the tool to read back).
void presentFrame(Drawing& drawing, const std::string& startFolder, const FrameHooks& hooks = {});
void updateAfterSwap(const KeyStateTable& keys, World& world, const FrameInput& input);

// Steps of the phases, for tests and tools that run them alone.
// The zoom, wireframe and crouch of a tool's input, as the right button,
// Space or Enter and C would set them; the viewer's input already holds them.
void takeFrameInput(Drawing& drawing, World& world, const FrameInput& input);
// The window procedure's requests, with the calls their messages ask for,
// over the client area.
void applyDisplayRequests(Drawing& drawing, const ClientRect& clientRect);
// Each subsystem marks its tufts, flyers or palms as inside the view volume or not.
void markVisible(World& world);
// The terrain pass under the current view: the fine ground where one serves,
// at the drawing's error on the frame's surface, else the terrain's list.
void drawTerrain(const Drawing& drawing, const ClientRect& clientRect, const World& world);
// The terrain's display list, under the current view.
void drawTerrainList(const World& world);
