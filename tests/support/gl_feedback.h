#pragma once
// What a draw sends down the pipeline, read back through GL feedback mode:
// points, polygons and pass-through markers with window coordinates, colour
// and texture coordinate of every vertex. Needs a current context.

#include <GL/gl.h>

#include <vector>

struct FeedbackVertex {
    float x, y, z;    // window coordinates, z in 0 .. 1
    float r, g, b, a; // colour
    float s, t;       // texture coordinate (r and q dropped)
};

struct FeedbackRecord {
    GLenum token;      // GL_POINT_TOKEN, GL_POLYGON_TOKEN, GL_PASS_THROUGH_TOKEN, ...
    float passThrough; // the marker of a GL_PASS_THROUGH_TOKEN
    std::vector<FeedbackVertex> vertices;
};

// Runs draw in feedback mode and returns what it sent, in order.
template <class Draw>
std::vector<FeedbackRecord> captureFeedback(Draw&& draw)
{
    constexpr GLsizei kFloats = 1 << 16;
    static GLfloat buffer[kFloats];
    glFeedbackBuffer(kFloats, GL_3D_COLOR_TEXTURE, buffer);
    glRenderMode(GL_FEEDBACK);
    draw();
    const GLint used = glRenderMode(GL_RENDER);

    std::vector<FeedbackRecord> records;
    GLint i = 0;
    auto vertex = [&] {
        const GLfloat* f = buffer + i;
        i += 11; // x y z, r g b a, s t r q
        return FeedbackVertex{f[0], f[1], f[2], f[3], f[4], f[5], f[6], f[7], f[8]};
    };
    while (i < used) {
        FeedbackRecord record{static_cast<GLenum>(buffer[i++]), 0, {}};
        int count = 0;
        switch (record.token) {
        case GL_PASS_THROUGH_TOKEN:
            record.passThrough = buffer[i++];
            break;
        case GL_POLYGON_TOKEN:
            count = static_cast<int>(buffer[i++]);
            break;
        case GL_LINE_TOKEN:
        case GL_LINE_RESET_TOKEN:
            count = 2;
            break;
        default: // points, bitmaps and pixel rectangles carry one vertex
            count = 1;
            break;
        }
        for (int k = 0; k < count; ++k)
            record.vertices.push_back(vertex());
        records.push_back(record);
    }
    return records;
}

// Counts the records of one kind.
inline int countRecords(const std::vector<FeedbackRecord>& records, GLenum token)
{
    int n = 0;
    for (const FeedbackRecord& r : records)
        n += r.token == token ? 1 : 0;
    return n;
}
