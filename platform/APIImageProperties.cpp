#include "APIImageProperties.h"
#include "GLCheck.h"

#include "Platform.h"

#include <GL/gl.h>
#include <SDL.h>

namespace Stimora {

APIImageProperties::APIImageProperties(Image& owner) : image(owner) {}

APIImageProperties::~APIImageProperties() {
    deleteTexture();
}

bool APIImageProperties::contextCurrent() {
    return SDL_GL_GetCurrentContext() != nullptr;
}

bool APIImageProperties::upload(const void* texels, int width, int height, int components, bool floats) {
    if (!platformReachObjectSet(platformObjectSet())) {
        return false;
    }
    if (!live()) {
        textureName = 0; // the name ended with an earlier set
    }
    const GLenum format = components == 1 ? GL_LUMINANCE : components == 3 ? GL_RGB : GL_RGBA;
    const GLenum type = floats ? GL_FLOAT : GL_UNSIGNED_BYTE;
    glCheck(glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT));
    glCheck(glPixelStorei(GL_UNPACK_ALIGNMENT, 4));
    glCheck(glPixelStorei(GL_UNPACK_ROW_LENGTH, 0));
    glCheck(glPixelStorei(GL_UNPACK_SKIP_ROWS, 0));
    glCheck(glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0));
    glCheck(glPushAttrib(GL_TEXTURE_BIT));
    if (textureName != 0 && width == textureWidth && height == textureHeight) {
        glCheck(glBindTexture(GL_TEXTURE_2D, textureName));
        glCheck(glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, format, type, texels));
    } else {
        if (textureName == 0) {
            GLuint name = 0;
            glCheck(glGenTextures(1, &name));
            textureName = name;
            objectSet = platformObjectSet();
        }
        glCheck(glBindTexture(GL_TEXTURE_2D, textureName));
        glCheck(glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST));
        glCheck(glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST));
        glCheck(glTexImage2D(GL_TEXTURE_2D, 0, components, width, height, 0, format, type, texels));
        textureWidth = width;
        textureHeight = height;
    }
    glCheck(glPopAttrib());
    glCheck(glPopClientAttrib());
    return true;
}

void APIImageProperties::warmUp(double left, double top, double right, double bottom) {
    if (textureName == 0 || !contextCurrent()) {
        return;
    }
    GLint auxBuffers = 0;
    glCheck(glGetIntegerv(GL_AUX_BUFFERS, &auxBuffers));
    if (auxBuffers < 2) {
        return; // no auxiliary buffer 1 in this context
    }
    glCheck(glPushAttrib(GL_ENABLE_BIT | GL_TEXTURE_BIT | GL_CURRENT_BIT | GL_COLOR_BUFFER_BIT));
    glCheck(glDrawBuffer(GL_AUX1));
    glCheck(glEnable(GL_TEXTURE_2D));
    glCheck(glBindTexture(GL_TEXTURE_2D, textureName));
    glColor4d(1.0, 1.0, 1.0, 1.0);
    glBegin(GL_QUADS);
    glTexCoord2d(0.0, 1.0);
    glVertex2d(left, top);
    glTexCoord2d(1.0, 1.0);
    glVertex2d(right + 1.0, top);
    glTexCoord2d(1.0, 0.0);
    glVertex2d(right + 1.0, bottom + 1.0);
    glTexCoord2d(0.0, 0.0);
    glVertex2d(left, bottom + 1.0);
    glCheck(glEnd());
    glCheck(glPopAttrib());
    glCheck(glDrawBuffer(GL_BACK));
}

bool APIImageProperties::live() const {
    return textureName != 0 && objectSet != 0 && objectSet == platformObjectSet();
}

void APIImageProperties::deleteTexture() {
    // A texture ends with its set; its name may stand for another image's texture since.
    if (textureName != 0 && platformReachObjectSet(objectSet)) {
        GLuint name = textureName;
        glCheck(glDeleteTextures(1, &name));
    }
    textureName = 0;
    textureWidth = 0;
    textureHeight = 0;
}

} // namespace Stimora
