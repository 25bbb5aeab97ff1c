#include "scene/vegetation.h"

// Scattering and drawing come with the vegetation's own work; until then the
// field and the grove stay empty.
void GrassField::init(const HeightMap&, RandomSource&) {}
void GrassField::draw(float, float, float) const {}
void PalmGrove::init(const HeightMap&, RandomSource&) {}
void PalmGrove::draw(float, float, float) const {}
