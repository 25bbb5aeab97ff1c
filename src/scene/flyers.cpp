#include "scene/flyers.h"

// The swarm's flight comes with the flyers' own work; until then the 250
// records rest at the origin, unseen.
void initFlyers(FlyerSwarm&, RandomSource&) {}
void advanceFlyers(FlyerSwarm&, RandomSource&) {}
void keepFlyersAboveGround(FlyerSwarm&, const HeightMap&) {}
void drawFlyers(FlyerSwarm&) {}
void setFlyersFrameDelta(FlyerSwarm&, float) {}
