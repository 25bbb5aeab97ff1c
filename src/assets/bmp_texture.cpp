#include "assets/bmp_texture.h"

#include "assets/dib_image.h"
#include "assets/texture_upload.h"
#include "platform/platform.h"

#include <cstdio>

bool pictureFileOpens(const char* fileName)
{
    std::FILE* probe = std::fopen(fileName, "rb");
    if (!probe)
        return false;
    std::fclose(probe);
    return true;
}

void loadBmpTexture(GLuint& slot, const char* fileName)
{
    if (!pictureFileOpens(fileName)) {
        platform::showErrorBox("Unable to load BMP File!", platform::BoxOwner::MainWindow);
        return;
    }

    const std::optional<Image> image = loadDibImage(fileName);
    if (!image)
        return;
    makeMipmappedTexture(slot, *image, GL_LINEAR_MIPMAP_LINEAR);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
}

LoadOutcome loadMeshTexture(GLuint* textures, const char* fileName, int index)
{
    const std::optional<Image> image = loadDibImage(fileName);
    if (!image)
        return LoadOutcome::EndProcess;
    makeMipmappedTexture(textures[index], *image, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    return LoadOutcome::Continue;
}
