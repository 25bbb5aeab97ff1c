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
