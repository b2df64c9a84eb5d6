#pragma once

// Every OpenGL call of the framework goes through glCheck in Debug and sanitizer builds: the
// call, then glGetError, and an Exception naming the call, its file and line on an error. A
// release build compiles the bare call and pays nothing. Not part of the framework's interface.
// Calls between glBegin and glEnd are left bare (OpenGL forbids glGetError there); the glEnd
// that closes them is checked.

namespace Stimora {

/// Raises a message-only Exception ("OpenGL ERROR: ...") when glGetError reports an error,
/// naming the error, the call, its file and line.
void glCheckError(const char* call, const char* file, int line);

/// The value of a checked call that returns one.
template <typename T> T glChecked(T value, const char* call, const char* file, int line) {
    glCheckError(call, file, line);
    return value;
}

} // namespace Stimora

#ifdef STIMORA_GL_CHECKS
#define glCheck(call)                                                                                        \
    do {                                                                                                     \
        call;                                                                                                \
        ::Stimora::glCheckError(#call, __FILE__, __LINE__);                                                  \
    } while (false)
#define glCheckValue(call) ::Stimora::glChecked((call), #call, __FILE__, __LINE__)
#else
#define glCheck(call) call
#define glCheckValue(call) (call)
#endif
