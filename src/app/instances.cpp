#include "app/instances.h"

// Zero-initialised static storage: the height map and the five meshes are
// megabytes, far too large for a stack.
Shell shell;
Drawing drawing;
World world;
