#include "terrain/extensions.h"

#include "platform/platform.h"

#include <cstring>

namespace {

template <typename Function>
Function lookUp(ProcAddressLookup lookup, const char* name)
{
    return reinterpret_cast<Function>(lookup(name));
}

} // namespace

void* lookUpAdvertisedEntryPoint(const char* name)
{
    static const struct {
        const char* function;
        const char* extension;
    } owners[] = {
        {"glActiveTextureARB", "GL_ARB_multitexture"},
        {"glMultiTexCoord2fARB", "GL_ARB_multitexture"},
        {"glFogCoordfEXT", "GL_EXT_fog_coord"},
    };
    for (const auto& owner : owners) {
        if (std::strcmp(owner.function, name) == 0 && !platform::hasGlExtension(owner.extension))
            return nullptr;
    }
    return platform::getProcAddress(name);
}

ExtensionSupport loadExtensionEntryPoints(ExtensionEntryPoints& entryPoints, ProcAddressLookup lookup)
{
    entryPoints.glActiveTextureARB = lookUp<PFNGLACTIVETEXTUREARBPROC>(lookup, "glActiveTextureARB");
    entryPoints.glMultiTexCoord2fARB = lookUp<PFNGLMULTITEXCOORD2FARBPROC>(lookup, "glMultiTexCoord2fARB");
    entryPoints.glFogCoordfEXT = lookUp<PFNGLFOGCOORDFEXTPROC>(lookup, "glFogCoordfEXT");
    return {entryPoints.glActiveTextureARB && entryPoints.glMultiTexCoord2fARB,
            entryPoints.glFogCoordfEXT != nullptr};
}

void setUpFog()
{
    // Linear fog from 0 to 50 on the explicit fog coordinate. No pass gives a
    // coordinate, so every vertex keeps the initial 0 and colours pass unfogged.
    const GLfloat fogColour[4] = {0.8f, 0.8f, 0.8f, 1.0f};
    glEnable(GL_FOG);
    glFogi(GL_FOG_MODE, GL_LINEAR);
    glFogfv(GL_FOG_COLOR, fogColour);
    glFogf(GL_FOG_START, 0.0f);
    glFogf(GL_FOG_END, 50.0f);
    glFogi(GL_FOG_COORDINATE_SOURCE_EXT, GL_FOG_COORDINATE_EXT);
}
