#include "overlay/text.h"

#include <cstdio>

namespace {

bool hasGlyph(unsigned char byte) { return byte >= kFirstGlyphCode && byte < kFirstGlyphCode + kGlyphCodeCount; }

} // namespace

int vformatText(char (&text)[kTextBufferBytes], const char* format, va_list arguments)
{
    text[0] = '\0';
    if (!format)
        return 0;
    const int written = std::vsnprintf(text, sizeof text, format, arguments);
    if (written < 0) { // an encoding error leaves the buffer undefined
        text[0] = '\0';
        return 0;
    }
    const int length = written < kTextMaxLength ? written : kTextMaxLength;
    int kept = 0;
    for (int i = 0; i < length; ++i)
        if (hasGlyph(static_cast<unsigned char>(text[i])))
            text[kept++] = text[i];
    text[kept] = '\0';
    return kept;
}

int formatText(char (&text)[kTextBufferBytes], const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    const int length = vformatText(text, format, arguments);
    va_end(arguments);
    return length;
}

void printText(GLuint fontListBase, const char* format, ...)
{
    if (!format)
        return;
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glColor3f(1, 1, 1);

    char text[kTextBufferBytes];
    va_list arguments;
    va_start(arguments, format);
    const int length = vformatText(text, format, arguments);
    va_end(arguments);

    // List 0 names nothing, so without a font every byte would call some other
    // pass's list.
    if (fontListBase != 0 && length > 0) {
        glPushAttrib(GL_LIST_BIT);
        glListBase(fontListBase - kFirstGlyphCode);
        glCallLists(length, GL_UNSIGNED_BYTE, text);
        glPopAttrib();
    }
    glEnable(GL_TEXTURE_2D);
}
