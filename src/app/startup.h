#pragma once
// The start-up sequence that fills every subsystem in a fixed order, once
// the window exists.
//
// No failure interrupts the start-up sequence: a failure shows its message box
// and either posts a quit request, which ends the main loop before the first
// frame, or (for a picture that a mesh or the flyers need) stops the sequence
// with EndProcess, and the process ends at once through endProcessAtOnce.

#include "app/shell.h"
#include "app/world.h"
#include "terrain/extensions.h"

// Looks the entry points up; each missing group gets its box, owned by the
// main window, and posts a quit.
void loadExtensions(ExtensionEntryPoints& entryPoints, ProcAddressLookup lookup, MessageQueue& queue);
LoadOutcome startUp(Shell& shell, World& world);
