#include "surface/render_target.h"

#include "platform/platform.h"
#include "terrain/extensions.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdio>
#include <cstdlib>

namespace {

static_assert(sizeof(GLuint) == sizeof(uint32_t), "a target's names are GL's");

// The largest picture the renderer can make and draw into, in pixels.
struct TargetLimits {
    int maxWidth = 0;
    int maxHeight = 0;
};

// Found with the first target and kept for the process: every target of the
// context draws through the same entry points.
FramebufferEntryPoints gl;
bool lookedUp = false;

// The core names (GL 3.0 and the ARB extension share them), else the EXT
// ones; the enumerants are the same numbers in both.
bool lookUpEntryPoints()
{
    if (lookedUp)
        return gl.genFramebuffers != nullptr;
    lookedUp = true;
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    const bool core = (version && std::atoi(version) >= 3) || platform::hasGlExtension("GL_ARB_framebuffer_object");
    const bool ext =
        platform::hasGlExtension("GL_EXT_framebuffer_object") && platform::hasGlExtension("GL_EXT_framebuffer_blit");
    if (!core && !ext)
        return false;
    return loadFramebufferEntryPoints(gl, lookUpAdvertisedEntryPoint,
                                      core ? FramebufferNames::Core : FramebufferNames::Ext);
}

TargetLimits queryLimits()
{
    GLint renderbuffer = 0;
    GLint viewport[2] = {};
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &renderbuffer);
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
    return {renderbuffer < viewport[0] ? renderbuffer : viewport[0],
            renderbuffer < viewport[1] ? renderbuffer : viewport[1]};
}

GLenum depthFormat(int depthBits)
{
    if (depthBits >= 32)
        return GL_DEPTH_COMPONENT32;
    return depthBits >= 24 ? GL_DEPTH_COMPONENT24 : GL_DEPTH_COMPONENT16;
}

// Whether width x height can be asked of a renderer with these limits.
bool fitsTargetLimits(int width, int height, TargetLimits limits)
{
    return width >= 1 && height >= 1 && width <= limits.maxWidth && height <= limits.maxHeight;
}

} // namespace

Report makeRenderTarget(RenderTarget& target, int width, int height, int depthBits)
{
    if (!lookUpEntryPoints())
        return {Failure::Make, {}, 0, "cannot draw offscreen: this renderer offers no framebuffer objects"};
    const TargetLimits limits = queryLimits();
    if (!fitsTargetLimits(width, height, limits)) {
        char line[160];
        std::snprintf(line, sizeof line, "cannot draw a %d x %d picture: this renderer draws at most %d x %d", width,
                      height, limits.maxWidth, limits.maxHeight);
        return {Failure::Make, {}, 0, line};
    }
    deleteRenderTarget(target);
    while (glGetError() != GL_NO_ERROR) {}

    gl.genFramebuffers(1, &target.framebuffer);
    gl.genRenderbuffers(1, &target.colour);
    gl.genRenderbuffers(1, &target.depth);
    gl.bindRenderbuffer(GL_RENDERBUFFER, target.colour);
    gl.renderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
    gl.bindRenderbuffer(GL_RENDERBUFFER, target.depth);
    gl.renderbufferStorage(GL_RENDERBUFFER, depthFormat(depthBits), width, height);
    gl.bindRenderbuffer(GL_RENDERBUFFER, 0);
    gl.bindFramebuffer(GL_FRAMEBUFFER, target.framebuffer);
    gl.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, target.colour);
    gl.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, target.depth);
    const bool complete = gl.checkFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    gl.bindFramebuffer(GL_FRAMEBUFFER, 0);
    if (!complete || glGetError() != GL_NO_ERROR) {
        deleteRenderTarget(target);
        char line[160];
        std::snprintf(line, sizeof line, "cannot draw a %d x %d picture: the renderer could not make it (memory?)",
                      width, height);
        return {Failure::Make, {}, 0, line};
    }
    target.width = width;
    target.height = height;
    return {};
}

void deleteRenderTarget(RenderTarget& target)
{
    if (target.framebuffer == 0)
        return;
    gl.deleteFramebuffers(1, &target.framebuffer);
    const GLuint renderbuffers[] = {target.colour, target.depth};
    gl.deleteRenderbuffers(2, renderbuffers);
    target.framebuffer = target.colour = target.depth = 0;
    target.width = target.height = 0;
}

void bindRenderTarget(const RenderTarget& target) { gl.bindFramebuffer(GL_FRAMEBUFFER, target.framebuffer); }

void stretchToWindow(const RenderTarget& target, int windowWidth, int windowHeight, StretchFilter filter)
{
    gl.bindFramebuffer(GL_READ_FRAMEBUFFER, target.framebuffer);
    gl.bindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    gl.blitFramebuffer(0, 0, target.width, target.height, 0, 0, windowWidth, windowHeight, GL_COLOR_BUFFER_BIT,
                       filter == StretchFilter::Linear ? GL_LINEAR : GL_NEAREST);
    gl.bindFramebuffer(GL_FRAMEBUFFER, 0);
}

void readBackTarget(const RenderTarget& target, uint8_t* pixels)
{
    GLint previous = 0;
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &previous);
    gl.bindFramebuffer(GL_READ_FRAMEBUFFER, target.framebuffer);
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, target.width, target.height, GL_RGB, GL_UNSIGNED_BYTE, pixels);
    gl.bindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(previous));
}
