#pragma once
// The GL entry points beyond GL 1.1, in one table of groups, each found
// through one lookup by name that a test can replace: the three that the
// terrain needs, looked up once at start-up, and the framebuffer objects that
// the drawing surfaces look up when the first offscreen target is made. An
// entry point that is missing stays null and is never called; the loader says
// which groups are missing, and the caller decides what follows.

#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdint>

struct ExtensionEntryPoints {
    PFNGLACTIVETEXTUREARBPROC glActiveTextureARB = nullptr;
    PFNGLMULTITEXCOORD2FARBPROC glMultiTexCoord2fARB = nullptr;
    PFNGLFOGCOORDFEXTPROC glFogCoordfEXT = nullptr; // required, though nothing draws with it
};

// Looks up a GL entry point by name; null when the library does not offer it.
using ProcAddressLookup = void* (*)(const char* name);

// The context's own lookup. Entry points of an extension that the context does
// not advertise count as missing, since the lookup alone answers every name.
void* lookUpAdvertisedEntryPoint(const char* name);

// Which of the two groups the lookup found whole.
struct ExtensionSupport {
    bool multitexture;  // glActiveTextureARB and glMultiTexCoord2fARB
    bool fogCoordinate; // glFogCoordfEXT
};

ExtensionSupport loadExtensionEntryPoints(ExtensionEntryPoints& entryPoints, ProcAddressLookup lookup);

// Framebuffer objects with their blit: the core names of GL 3.0 and
// GL_ARB_framebuffer_object, or the EXT ones, whose enumerants are the same numbers.
struct FramebufferEntryPoints {
    PFNGLGENFRAMEBUFFERSPROC genFramebuffers = nullptr;
    PFNGLDELETEFRAMEBUFFERSPROC deleteFramebuffers = nullptr;
    PFNGLBINDFRAMEBUFFERPROC bindFramebuffer = nullptr;
    PFNGLFRAMEBUFFERRENDERBUFFERPROC framebufferRenderbuffer = nullptr;
    PFNGLCHECKFRAMEBUFFERSTATUSPROC checkFramebufferStatus = nullptr;
    PFNGLGENRENDERBUFFERSPROC genRenderbuffers = nullptr;
    PFNGLDELETERENDERBUFFERSPROC deleteRenderbuffers = nullptr;
    PFNGLBINDRENDERBUFFERPROC bindRenderbuffer = nullptr;
    PFNGLRENDERBUFFERSTORAGEPROC renderbufferStorage = nullptr;
    PFNGLBLITFRAMEBUFFERPROC blitFramebuffer = nullptr;
};

enum class FramebufferNames : uint8_t { Core, Ext };

// The whole group under names of that kind ("glGenFramebuffers" or
// "glGenFramebuffersEXT"), or none of it: false, and every entry null, when
// one is missing.
bool loadFramebufferEntryPoints(FramebufferEntryPoints& entryPoints, ProcAddressLookup lookup,
                                FramebufferNames names);
