# Finds what the Stimora library links with; shared by the build and the installed package (for
# the static archives and the analysis library, whose users link these themselves). A library
# that is missing is named with the Debian package that brings it.

# Finds package, or stops with the Debian package to install.
macro(stimora_need package debian)
  find_package(${package} ${ARGN} QUIET)
  if(NOT ${package}_FOUND)
    message(FATAL_ERROR "Stimora needs ${package}: install the Debian package ${debian} (apt-get install ${debian}).")
  endif()
endmacro()

set(OpenGL_GL_PREFERENCE GLVND)
stimora_need(OpenGL libgl-dev COMPONENTS OpenGL)
if(NOT TARGET OpenGL::GLU)
  stimora_need(OpenGL libglu1-mesa-dev)
endif()
stimora_need(SDL2 libsdl2-dev)
# The display's gamma ramp is loaded through the X RandR extension; responses are stamped on
# arrival from XInput 2 raw events, on a thread of their own.
stimora_need(X11 libx11-dev)
if(NOT TARGET X11::Xrandr)
  message(FATAL_ERROR "Stimora needs the X RandR library: install the Debian package libxrandr-dev.")
endif()
if(NOT TARGET X11::Xi)
  message(FATAL_ERROR "Stimora needs the X Input library: install the Debian package libxi-dev.")
endif()
stimora_need(Threads libc6-dev)
stimora_need(PNG libpng-dev)
stimora_need(Freetype libfreetype-dev)
stimora_need(Fontconfig libfontconfig-dev)
# Monitor profiles are JSON files (header-only library).
stimora_need(nlohmann_json nlohmann-json3-dev)
# Sound: PortAudio for the output (ALSA and JACK on Debian), JACK's own library for the cycle
# times PortAudio does not pass on, libsndfile for sound files.
if(NOT TARGET Stimora::Sound)
  stimora_need(PkgConfig pkg-config)
  pkg_check_modules(STIMORA_SOUND QUIET IMPORTED_TARGET portaudio-2.0 jack sndfile)
  if(NOT STIMORA_SOUND_FOUND)
    message(FATAL_ERROR "Stimora needs PortAudio, JACK's library and libsndfile: install the Debian packages portaudio19-dev libjack-jackd2-dev libsndfile1-dev.")
  endif()
  add_library(Stimora::Sound INTERFACE IMPORTED)
  set_target_properties(Stimora::Sound PROPERTIES INTERFACE_LINK_LIBRARIES PkgConfig::STIMORA_SOUND)
endif()

if(NOT TARGET Stimora::dSFMT)
  find_path(DSFMT_INCLUDE_DIR dSFMT.h)
  find_library(DSFMT_LIBRARY NAMES dSFMT-19937 dSFMT)
  if(NOT DSFMT_INCLUDE_DIR OR NOT DSFMT_LIBRARY)
    message(FATAL_ERROR "Stimora needs dSFMT: install the Debian package libdsfmt-dev.")
  endif()
  add_library(Stimora::dSFMT UNKNOWN IMPORTED)
  set_target_properties(Stimora::dSFMT PROPERTIES
    IMPORTED_LOCATION ${DSFMT_LIBRARY}
    INTERFACE_INCLUDE_DIRECTORIES ${DSFMT_INCLUDE_DIR}
    INTERFACE_COMPILE_DEFINITIONS DSFMT_MEXP=19937)
endif()

# The matrix product: OpenBLAS, found through CMake's BLAS search, with its C interface header.
# (libblas-dev, the reference BLAS, does not do: its products are many times slower.)
if(NOT TARGET Stimora::BLAS)
  set(STIMORA_SAVED_BLA_VENDOR "${BLA_VENDOR}")
  set(BLA_VENDOR OpenBLAS)
  stimora_need(BLAS libopenblas-dev)
  set(BLA_VENDOR "${STIMORA_SAVED_BLA_VENDOR}")
  find_path(STIMORA_OPENBLAS_INCLUDE_DIR openblas_config.h
    PATH_SUFFIXES openblas-pthread openblas openblas-openmp openblas-serial)
  if(NOT STIMORA_OPENBLAS_INCLUDE_DIR)
    message(FATAL_ERROR "Stimora needs OpenBLAS's headers: install the Debian package libopenblas-dev.")
  endif()
  add_library(Stimora::BLAS INTERFACE IMPORTED)
  set_target_properties(Stimora::BLAS PROPERTIES
    INTERFACE_LINK_LIBRARIES BLAS::BLAS
    INTERFACE_INCLUDE_DIRECTORIES ${STIMORA_OPENBLAS_INCLUDE_DIR})
endif()

# The analysis part: NLopt for the psychometric fits, cairo for the figures (PNG, PDF, SVG).
if(NOT TARGET Stimora::NLopt)
  stimora_need(NLopt libnlopt-dev)
  add_library(Stimora::NLopt INTERFACE IMPORTED)
  set_target_properties(Stimora::NLopt PROPERTIES INTERFACE_LINK_LIBRARIES NLopt::nlopt)
endif()
if(NOT TARGET Stimora::Cairo)
  stimora_need(PkgConfig pkg-config)
  pkg_check_modules(STIMORA_CAIRO QUIET IMPORTED_TARGET cairo cairo-pdf cairo-svg cairo-png)
  if(NOT STIMORA_CAIRO_FOUND)
    message(FATAL_ERROR "Stimora's analysis needs cairo: install the Debian package libcairo2-dev.")
  endif()
  add_library(Stimora::Cairo INTERFACE IMPORTED)
  set_target_properties(Stimora::Cairo PROPERTIES INTERFACE_LINK_LIBRARIES PkgConfig::STIMORA_CAIRO)
endif()
