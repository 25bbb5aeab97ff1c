#pragma once
// The three extension entry points that the terrain needs, looked up once at
// start-up. An entry point that is missing stays null and is never called;
// the loader says which groups are missing, and the caller decides what
// follows.

#include <GL/gl.h>
#include <GL/glext.h>

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
