#include "view/ground_following.h"

// Walking on the ground comes with the ground-following work; until then the
// eye stays where the camera puts it.
void followGround(Camera&, const HeightMap&, const GroundFollowing&) {}
void pollCrouchKey(GroundFollowing&, const KeyStateTable&) {}
void advanceWalkPhase(GroundFollowing&, const KeyStateTable&, float) {}
