#include "terrain/extensions.h"

#include "platform/platform.h"

#include <cstdio>
#include <cstring>

namespace {

template <typename Function>
Function lookUp(ProcAddressLookup lookup, const char* name)
{
    return reinterpret_cast<Function>(lookup(name));
}

template <typename Function>
void lookUpNamed(Function& entry, ProcAddressLookup lookup, const char* name, FramebufferNames names)
{
    char full[64];
    std::snprintf(full, sizeof full, "%s%s", name, names == FramebufferNames::Ext ? "EXT" : "");
    entry = lookUp<Function>(lookup, full);
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
        {"glGenFramebuffersEXT", "GL_EXT_framebuffer_object"},
        {"glDeleteFramebuffersEXT", "GL_EXT_framebuffer_object"},
        {"glBindFramebufferEXT", "GL_EXT_framebuffer_object"},
        {"glFramebufferRenderbufferEXT", "GL_EXT_framebuffer_object"},
        {"glCheckFramebufferStatusEXT", "GL_EXT_framebuffer_object"},
        {"glGenRenderbuffersEXT", "GL_EXT_framebuffer_object"},
        {"glDeleteRenderbuffersEXT", "GL_EXT_framebuffer_object"},
        {"glBindRenderbufferEXT", "GL_EXT_framebuffer_object"},
        {"glRenderbufferStorageEXT", "GL_EXT_framebuffer_object"},
        {"glBlitFramebufferEXT", "GL_EXT_framebuffer_blit"},
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

bool loadFramebufferEntryPoints(FramebufferEntryPoints& entryPoints, ProcAddressLookup lookup, FramebufferNames names)
{
    FramebufferEntryPoints& gl = entryPoints;
    lookUpNamed(gl.genFramebuffers, lookup, "glGenFramebuffers", names);
    lookUpNamed(gl.deleteFramebuffers, lookup, "glDeleteFramebuffers", names);
    lookUpNamed(gl.bindFramebuffer, lookup, "glBindFramebuffer", names);
    lookUpNamed(gl.framebufferRenderbuffer, lookup, "glFramebufferRenderbuffer", names);
    lookUpNamed(gl.checkFramebufferStatus, lookup, "glCheckFramebufferStatus", names);
    lookUpNamed(gl.genRenderbuffers, lookup, "glGenRenderbuffers", names);
    lookUpNamed(gl.deleteRenderbuffers, lookup, "glDeleteRenderbuffers", names);
    lookUpNamed(gl.bindRenderbuffer, lookup, "glBindRenderbuffer", names);
    lookUpNamed(gl.renderbufferStorage, lookup, "glRenderbufferStorage", names);
    lookUpNamed(gl.blitFramebuffer, lookup, "glBlitFramebuffer", names);
    const bool whole = gl.genFramebuffers && gl.deleteFramebuffers && gl.bindFramebuffer &&
                       gl.framebufferRenderbuffer && gl.checkFramebufferStatus && gl.genRenderbuffers &&
                       gl.deleteRenderbuffers && gl.bindRenderbuffer && gl.renderbufferStorage && gl.blitFramebuffer;
    if (!whole)
        gl = {};
    return whole;
}
