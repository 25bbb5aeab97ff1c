#pragma once
// Textures from BMP pictures: the eight that start-up loads (terrain, detail
// and the six sky faces), and those that mesh files name. A start-up picture
// that cannot be loaded leaves its slot at 0, so whatever binds it draws
// untextured; a mesh picture that cannot be loaded ends the process.

#include <GL/gl.h>

void loadBmpTexture(GLuint& slot, const char* fileName);
void loadMeshTexture(GLuint* textures, const char* fileName, int index);
