# Finds what the Stimora library links with; shared by the build and the installed package.
include(CMakeFindDependencyMacro)
set(OpenGL_GL_PREFERENCE GLVND)
find_dependency(OpenGL REQUIRED COMPONENTS OpenGL)
if(NOT TARGET OpenGL::GLU)
  find_dependency(OpenGL REQUIRED)
endif()
find_dependency(SDL2 REQUIRED)
# The display's gamma ramp is loaded through the X RandR extension.
find_dependency(X11 REQUIRED)
if(NOT TARGET X11::Xrandr)
  message(FATAL_ERROR "Stimora needs the X RandR library (Debian libxrandr-dev)")
endif()
# Responses are stamped on arrival from XInput 2 raw events, on a thread of their own.
if(NOT TARGET X11::Xi)
  message(FATAL_ERROR "Stimora needs the X Input library (Debian libxi-dev)")
endif()
find_dependency(Threads REQUIRED)
find_dependency(PNG REQUIRED)
find_dependency(Freetype REQUIRED)
find_dependency(Fontconfig REQUIRED)

if(NOT TARGET Stimora::dSFMT)
  find_path(DSFMT_INCLUDE_DIR dSFMT.h REQUIRED)
  find_library(DSFMT_LIBRARY NAMES dSFMT-19937 dSFMT REQUIRED)
  add_library(Stimora::dSFMT UNKNOWN IMPORTED)
  set_target_properties(Stimora::dSFMT PROPERTIES
    IMPORTED_LOCATION ${DSFMT_LIBRARY}
    INTERFACE_INCLUDE_DIRECTORIES ${DSFMT_INCLUDE_DIR}
    INTERFACE_COMPILE_DEFINITIONS DSFMT_MEXP=19937)
endif()

# The matrix product: OpenBLAS, found through CMake's BLAS search, with its C interface header.
if(NOT TARGET Stimora::BLAS)
  set(STIMORA_SAVED_BLA_VENDOR "${BLA_VENDOR}")
  set(BLA_VENDOR OpenBLAS)
  find_dependency(BLAS REQUIRED)
  set(BLA_VENDOR "${STIMORA_SAVED_BLA_VENDOR}")
  find_path(STIMORA_OPENBLAS_INCLUDE_DIR openblas_config.h
    PATH_SUFFIXES openblas-pthread openblas openblas-openmp openblas-serial REQUIRED)
  add_library(Stimora::BLAS INTERFACE IMPORTED)
  set_target_properties(Stimora::BLAS PROPERTIES
    INTERFACE_LINK_LIBRARIES BLAS::BLAS
    INTERFACE_INCLUDE_DIRECTORIES ${STIMORA_OPENBLAS_INCLUDE_DIR})
endif()

# The analysis part: NLopt for the psychometric fits, cairo for the figures (PNG, PDF, SVG).
if(NOT TARGET Stimora::NLopt)
  find_dependency(NLopt REQUIRED)
  add_library(Stimora::NLopt INTERFACE IMPORTED)
  set_target_properties(Stimora::NLopt PROPERTIES INTERFACE_LINK_LIBRARIES NLopt::nlopt)
endif()
if(NOT TARGET Stimora::Cairo)
  find_dependency(PkgConfig REQUIRED)
  pkg_check_modules(STIMORA_CAIRO REQUIRED IMPORTED_TARGET cairo cairo-pdf cairo-svg cairo-png)
  add_library(Stimora::Cairo INTERFACE IMPORTED)
  set_target_properties(Stimora::Cairo PROPERTIES INTERFACE_LINK_LIBRARIES PkgConfig::STIMORA_CAIRO)
endif()
