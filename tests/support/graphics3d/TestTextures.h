#pragma once

#include "graphics3d/GL.h"
#include "graphics3d/Texture.h"

namespace korvane::graphics3d::test {

// Textures with empty RGBA8 storage, made directly with GL for the tests of the rendering core.
class TestTexture : public Texture {
public:
    static TestTexture* create2D(int size) { return new TestTexture(GL_TEXTURE_2D, size); }
    static TestTexture* createCube(int size) { return new TestTexture(GL_TEXTURE_CUBE_MAP, size); }

private:
    TestTexture(GLenum target, int size) : Texture(generate(target, size), target) {
        width = size;
        height = size;
    }

    static GLuint generate(GLenum target, int size) {
        GLuint name = 0;
        glGenTextures(1, &name);
        GLint saved = 0;
        glGetIntegerv(bindingQueryOf(target), &saved);
        glBindTexture(target, name);
        if (target == GL_TEXTURE_CUBE_MAP) {
            for (GLenum face = GL_TEXTURE_CUBE_MAP_POSITIVE_X; face <= GL_TEXTURE_CUBE_MAP_NEGATIVE_Z; ++face)
                glTexImage2D(face, 0, GL_RGBA8, size, size, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
        } else {
            glTexImage2D(target, 0, GL_RGBA8, size, size, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
        }
        glTexParameteri(target, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glBindTexture(target, static_cast<GLuint>(saved));
        return name;
    }
};

} // namespace korvane::graphics3d::test
