#include "assets/bmp_texture.h"

#include "assets/dib_image.h"
#include "assets/file_bytes.h"
#include "assets/texture_upload.h"

#include <cstdio>

PictureLoad loadStartUpPicture(const char* fileName)
{
    // The builder probes the file before the reader sees it, so a missing
    // file gets the builder's message, not the reader's.
    std::FILE* probe = openFileForReading(fileName);
    if (!probe)
        return {std::nullopt, loadFailure("Unable to load BMP File!")};
    std::fclose(probe);
    return loadDibImage(fileName);
}

Report loadBmpTexture(GLuint& slot, const char* fileName)
{
    const PictureLoad load = loadStartUpPicture(fileName);
    if (!load.image)
        return load.report;
    makeMipmappedTexture(slot, *load.image, GL_LINEAR_MIPMAP_LINEAR);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    return {};
}

Report loadMeshTexture(GLuint* textures, const char* fileName, int index)
{
    const PictureLoad load = loadDibImage(fileName);
    if (!load.image)
        return load.report;
    makeMipmappedTexture(textures[index], *load.image, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    return {};
}
