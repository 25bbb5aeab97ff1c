#pragma once
// The process-wide instances. Only the program entry touches them; every
// operation takes the records it reads or writes as parameters.

#include "app/drawing.h"
#include "app/shell_state.h"
#include "app/world.h"

extern Shell shell;
extern Drawing drawing;
extern World world;
