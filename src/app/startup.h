#pragma once
// The start-up sequence that fills every subsystem in a fixed order, once
// the window exists.
//
// No failure interrupts the start-up sequence: a failure shows its message box
// and either posts a quit request, which ends the main loop before the first
// frame, or (for a picture that a mesh or the flyers need) stops the sequence
// with EndProcess, and the process ends at once through endProcessAtOnce.
// The readers only report; the boxes and what follows are decided here.

#include "app/drawing.h"
#include "app/shell_state.h"
#include "app/world.h"
#include "assets/data_files.h"
#include "terrain/extensions.h"

// Shows a failed report's message, if any, in a box titled "Error" (a
// picture's owned by the main window, a mesh's and the height map's by none),
// and returns what the data-file table says follows: EndProcess only where
// the viewer ends.
LoadOutcome decideOnLoad(DataFile file, const Report& report);

// Looks the entry points up; each missing group gets its box, owned by the
// main window, and posts a quit.
void loadExtensions(ExtensionEntryPoints& entryPoints, ProcAddressLookup lookup, MessageQueue& queue);
LoadOutcome startUp(Shell& shell, Drawing& drawing, World& world);

// Start-up's step after the terrain list: the fine ground, if the landscape
// holds one, opened about the start eye with its GL objects. One that cannot
// serve (or whose picture cannot) says why in one line on standard error,
// "lumora: landscape.ground.tif: WHY", and the terrain list (or the terrain's
// own pictures) are drawn instead; without the file nothing is said.
void openFineTerrain(World& world);
// What the fine ground found wrong while it still serves (a picture that
// cannot serve, a node that cannot be read), one line each, once.
void tellFineTerrainFaults(World& world);

// After start-up, before the first frame: the geographic reference of the
// data folder, for the readout of where you stand and for the plants, which
// then stand only where they can. Without one nothing is said and nothing
// changes; a damaged one leaves the place without a reference (every plant
// drawn) and says which file and why in one line on standard error. It never
// stops the viewer.
void readPlaceReference(World& world);
