#include "GLCheck.h"

#include <GL/gl.h>

#include <string>

#include "base/Exception.h"

namespace Stimora {

namespace {

const char* errorName(GLenum error) {
    switch (error) {
    case GL_INVALID_ENUM:
        return "GL_INVALID_ENUM";
    case GL_INVALID_VALUE:
        return "GL_INVALID_VALUE";
    case GL_INVALID_OPERATION:
        return "GL_INVALID_OPERATION";
    case GL_STACK_OVERFLOW:
        return "GL_STACK_OVERFLOW";
    case GL_STACK_UNDERFLOW:
        return "GL_STACK_UNDERFLOW";
    case GL_OUT_OF_MEMORY:
        return "GL_OUT_OF_MEMORY";
    default:
        return "an unknown OpenGL error";
    }
}

} // namespace

void glCheckError(const char* call, const char* file, int line) {
    const GLenum error = glGetError();
    if (error == GL_NO_ERROR)
        return;
    // Errors queue up; the first one is reported, the rest are cleared with it.
    for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; ++i) {
    }
    std::string where = file;
    where = where.substr(where.find_last_of('/') + 1);
    throw Exception(std::string("OpenGL ERROR: ") + errorName(error) + " from " + call + " (" + where + ":" +
                    std::to_string(line) + ").");
}

} // namespace Stimora
