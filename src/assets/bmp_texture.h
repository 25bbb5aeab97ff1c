#pragma once
// Textures from BMP pictures: the eight that start-up loads (terrain, detail
// and the six sky faces), and those that mesh files name. A start-up picture
// that cannot be loaded leaves its slot as it was (0 at start-up), so whatever
// binds it draws untextured; a mesh picture that cannot be loaded ends the
// process (the maker reports it; the application ends it). Both leave the new texture bound to GL_TEXTURE_2D and upload with
// an unpack alignment of 1, which stays in force afterwards.

#include "assets/load_outcome.h"

#include <GL/gl.h>

// The probe that a start-up picture passes before the reader sees it.
bool pictureFileOpens(const char* fileName);

// Start-up pictures: a file that cannot be opened gets "Unable to load BMP
// File!" (owned by the main window) instead of the reader's own message.
// Minification GL_LINEAR_MIPMAP_LINEAR; sets the active unit's texture
// environment to GL_MODULATE.
void loadBmpTexture(GLuint& slot, const char* fileName);

// Mesh pictures, into textures[index]: minification GL_LINEAR_MIPMAP_LINEAR,
// magnification GL_LINEAR. A picture that cannot be loaded makes no texture
// and, after the reader's message box, returns EndProcess.
LoadOutcome loadMeshTexture(GLuint* textures, const char* fileName, int index);
