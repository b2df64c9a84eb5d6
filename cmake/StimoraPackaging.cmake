# What an installed Stimora holds beyond the library's own install rules: the shared library's
# SONAME and the static archive beside it, the pkg-config file, the programs, the examples'
# sources, the licence and the API reference; and the Debian package made of all that
# (scripts/package). Included at the end of the top-level CMakeLists.txt, once every target
# and link is known.

set(STIMORA_DOC_DIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/stimora-doc)

# The SONAME changes with the major version (libstimora.so.0), as the CMake package's
# compatibility does. No <target>_EXPORTS define: the objects then match the static build's
# and come out of the compiler cache.
set_target_properties(stimora PROPERTIES
  VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR} DEFINE_SYMBOL "")
if(BUILD_SHARED_LIBS)
  # Only the framework's own names leave the shared library (cmake/stimora.map).
  target_link_options(stimora PRIVATE -Wl,--version-script=${CMAKE_CURRENT_LIST_DIR}/stimora.map)
  set_property(TARGET stimora APPEND PROPERTY LINK_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/stimora.map)
endif()

get_target_property(STIMORA_PUBLIC_LINKS stimora INTERFACE_LINK_LIBRARIES)
if(NOT STIMORA_PUBLIC_LINKS)
  set(STIMORA_PUBLIC_LINKS) # no public header uses a dependency
endif()
list(FILTER STIMORA_PUBLIC_LINKS EXCLUDE REGEX "^\\$<LINK_ONLY:")
get_target_property(STIMORA_ALL_LINKS stimora LINK_LIBRARIES)
set(STIMORA_PRIVATE_LINKS ${STIMORA_ALL_LINKS})
if(STIMORA_PUBLIC_LINKS)
  list(REMOVE_ITEM STIMORA_PRIVATE_LINKS ${STIMORA_PUBLIC_LINKS})
endif()

if(BUILD_SHARED_LIBS)
  # The static archive from the same position-independent objects: Stimora::stimora_static.
  add_library(stimora_static STATIC $<TARGET_OBJECTS:stimora>)
  get_target_property(includes stimora INTERFACE_INCLUDE_DIRECTORIES)
  target_include_directories(stimora_static INTERFACE ${includes})
  target_link_libraries(stimora_static PUBLIC ${STIMORA_PUBLIC_LINKS} PRIVATE ${STIMORA_PRIVATE_LINKS})
  set_target_properties(stimora_static PROPERTIES OUTPUT_NAME stimora EXPORT_NAME stimora_static)
  install(TARGETS stimora_static EXPORT StimoraTargets ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT dev)
endif()

# Linker flags for the given link items, read from the imported targets' files, so that the
# pkg-config file follows whatever the library comes to link.
function(stimora_linker_flags out)
  set(flags)
  foreach(item IN LISTS ARGN)
    string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" item "${item}")
    set(files)
    if(TARGET ${item})
      get_target_property(type ${item} TYPE)
      if(NOT type STREQUAL "INTERFACE_LIBRARY")
        get_target_property(configurations ${item} IMPORTED_CONFIGURATIONS)
        set(properties IMPORTED_LOCATION)
        foreach(configuration IN LISTS configurations)
          list(APPEND properties IMPORTED_LOCATION_${configuration})
        endforeach()
        foreach(property IN LISTS properties)
          get_target_property(file ${item} ${property})
          if(file)
            list(APPEND files ${file})
            break()
          endif()
        endforeach()
      endif()
      get_target_property(nested ${item} INTERFACE_LINK_LIBRARIES)
      if(nested)
        stimora_linker_flags(nested_flags ${nested})
        list(APPEND flags ${nested_flags})
      endif()
    elseif(item MATCHES "^-")
      list(APPEND flags ${item})
    elseif(item)
      list(APPEND files ${item})
    endif()
    foreach(file IN LISTS files)
      get_filename_component(name ${file} NAME)
      string(REGEX REPLACE "^lib(.*)\\.(so(\\.[0-9.]+)?|a)$" "-l\\1" flag "${name}")
      list(APPEND flags ${flag})
    endforeach()
  endforeach()
  list(REMOVE_DUPLICATES flags)
  set(${out} ${flags} PARENT_SCOPE)
endfunction()

stimora_linker_flags(public_flags ${STIMORA_PUBLIC_LINKS})
stimora_linker_flags(private_flags ${STIMORA_PRIVATE_LINKS})
if(public_flags)
  list(REMOVE_ITEM private_flags ${public_flags})
endif()
list(JOIN public_flags " " STIMORA_PC_LIBS)
list(JOIN private_flags " " STIMORA_PC_LIBS_PRIVATE)
if(NOT BUILD_SHARED_LIBS)
  # Users of the static library link what it links.
  string(APPEND STIMORA_PC_LIBS " ${STIMORA_PC_LIBS_PRIVATE}")
endif()
# The prefix is found from the file's own place, so an unpacked package works wherever it lies.
file(RELATIVE_PATH STIMORA_PC_TO_PREFIX /${CMAKE_INSTALL_LIBDIR}/pkgconfig /)
configure_file(${CMAKE_CURRENT_LIST_DIR}/stimora.pc.in ${CMAKE_CURRENT_BINARY_DIR}/stimora.pc @ONLY)
# The analysis library is a static archive: its users link NLopt and cairo themselves.
configure_file(${CMAKE_CURRENT_LIST_DIR}/stimora-analysis.pc.in ${CMAKE_CURRENT_BINARY_DIR}/stimora-analysis.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/stimora.pc ${CMAKE_CURRENT_BINARY_DIR}/stimora-analysis.pc
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT dev)

# The programs' manual pages, compressed as Debian keeps them.
foreach(page movingbars stimora-analyze stimora-calibrate)
  execute_process(COMMAND gzip -9nc ${CMAKE_CURRENT_LIST_DIR}/man/${page}.1 OUTPUT_FILE ${CMAKE_CURRENT_BINARY_DIR}/${page}.1.gz)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${page}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT tools)
endforeach()

# Programs that go into the package, where this tree builds them.
set(STIMORA_PACKAGED_PROGRAMS stimora_app stimora_analyze stimora_calibrate)
if(TARGET stimora_python)
  list(APPEND STIMORA_PACKAGED_TARGETS stimora_python)
endif()
foreach(program IN LISTS STIMORA_PACKAGED_PROGRAMS)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT tools OPTIONAL)
    list(APPEND STIMORA_PACKAGED_TARGETS ${program})
  endif()
endforeach()

install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ DESTINATION ${STIMORA_DOC_DIR}/examples COMPONENT doc
  FILES_MATCHING PATTERN "*.cpp" PATTERN "*.h" PATTERN "*.py" PATTERN "*.png")

# The package's copyright file: our licence, then what the libraries we link ask us to pass on.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
  ${PROJECT_SOURCE_DIR}/LICENSE ${PROJECT_SOURCE_DIR}/THIRD-PARTY-NOTICES)
file(READ ${PROJECT_SOURCE_DIR}/LICENSE license)
file(READ ${PROJECT_SOURCE_DIR}/THIRD-PARTY-NOTICES notices)
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/copyright "${license}\n${notices}")
# Every package carries its copyright file and changelog in its own documentation folder.
set(STIMORA_DEB_PACKAGES runtime libstimora0 dev libstimora-dev tools stimora-tools doc stimora-doc)
if(TARGET stimora_python)
  list(APPEND STIMORA_DEB_PACKAGES python python3-stimora)
endif()
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/changelog "stimora (${PROJECT_VERSION}) unstable; urgency=medium

  * Release ${PROJECT_VERSION}: the canvas and its frame timing, colour calibration, figures,
    devices, matrices, files, experiment procedures and result analysis.

 -- Stimora developers <stimora@users.noreply.github.com>  Tue, 08 Dec 2026 12:00:00 +0000
")
execute_process(COMMAND gzip -9nc ${CMAKE_CURRENT_BINARY_DIR}/changelog
  OUTPUT_FILE ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz)
while(STIMORA_DEB_PACKAGES)
  list(POP_FRONT STIMORA_DEB_PACKAGES component package)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/copyright ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${package} COMPONENT ${component})
endwhile()

include(StimoraDocs)

# Everything the package holds, built by one target (scripts/package).
add_custom_target(stimora_packaged)
add_dependencies(stimora_packaged stimora ${STIMORA_PACKAGED_TARGETS})
if(TARGET stimora_static)
  add_dependencies(stimora_packaged stimora_static)
endif()
if(TARGET docs)
  add_dependencies(stimora_packaged docs)
endif()

# The Debian packages, split as Debian ships a library. Depends come from dpkg-shlibdeps over
# the packaged binaries, plus what is only loaded at run time (the OpenGL vendor library).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME stimora)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Stimora developers <stimora@users.noreply.github.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "C++ framework for visual psychophysics")
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL runtime dev tools doc)
if(TARGET stimora_python)
  list(APPEND CPACK_COMPONENTS_ALL python)
endif()
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_DEBUGINFO_PACKAGE ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://github.com/stimora/stimora")
set(stimora_about "Stimora puts calibrated, frame-locked visual stimuli on an OpenGL canvas:\n\
figures, colour calibration, keyboard and mouse, a high-resolution clock,\n\
matrices, PNG files, experiment procedures and result analysis, for vision\n\
science.")
# What a consumer of the static core links beyond it.
set(STIMORA_STATIC_DEV "libsdl2-dev, libx11-dev, libxrandr-dev, libxi-dev, libgl-dev, libglu1-mesa-dev, \
libpng-dev, libfreetype-dev, libfontconfig-dev, libdsfmt-dev, libopenblas-dev, portaudio19-dev, \
libjack-jackd2-dev, libsndfile1-dev")

set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME libstimora0)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_DEPENDS "libgl1")
# The library cache is refreshed by dpkg's ldconfig trigger, not by maintainer scripts (CPack
# writes scripts that call ldconfig unless the package brings its own).
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_LIST_DIR}/debian/triggers
  ${CMAKE_CURRENT_LIST_DIR}/debian/postinst ${CMAKE_CURRENT_LIST_DIR}/debian/postrm)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_COMPONENT_RUNTIME_DESCRIPTION "C++ framework for visual psychophysics - shared library\n${stimora_about}\n\nThis package holds the shared library.")

set(CPACK_DEBIAN_DEV_PACKAGE_NAME libstimora-dev)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
# The analysis archive links NLopt and cairo; the static core links what STIMORA_STATIC_DEV names.
set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS "libstimora0 (= ${PROJECT_VERSION}), libnlopt-dev, libcairo2-dev, nlohmann-json3-dev")
set(CPACK_DEBIAN_DEV_PACKAGE_SUGGESTS "${STIMORA_STATIC_DEV}")
set(CPACK_COMPONENT_DEV_DESCRIPTION "C++ framework for visual psychophysics - development files\n${stimora_about}\n\nThis package holds the headers, the static archives and the CMake and\npkg-config files.")

set(CPACK_DEBIAN_TOOLS_PACKAGE_NAME stimora-tools)
set(CPACK_DEBIAN_TOOLS_PACKAGE_SECTION science)
set(CPACK_DEBIAN_TOOLS_PACKAGE_SHLIBDEPS ON)
# The programs' own library is the one packaged beside them: named above, not looked up.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${PROJECT_BINARY_DIR})
set(CPACK_DEBIAN_TOOLS_PACKAGE_DEPENDS "libstimora0 (= ${PROJECT_VERSION})")
set(CPACK_COMPONENT_TOOLS_DESCRIPTION "C++ framework for visual psychophysics - programs\n${stimora_about}\n\nThis package holds movingbars, a moving-bar demonstration,\nstimora-analyze, which turns result files and frame logs into tables and\nfigures, and stimora-calibrate, which measures a display with a photometer\nand makes its monitor profile.")

set(CPACK_DEBIAN_DOC_PACKAGE_NAME stimora-doc)
set(CPACK_DEBIAN_DOC_PACKAGE_SECTION doc)
set(CPACK_DEBIAN_DOC_PACKAGE_ARCHITECTURE all)
set(CPACK_COMPONENT_DOC_DESCRIPTION "C++ framework for visual psychophysics - reference and examples\n${stimora_about}\n\nThis package holds the API reference and the examples' sources.")
# The Python module is a package of its own, as Debian ships Python modules (python3-<name>,
# section python): the library and the programs do not then depend on Python and numpy.
set(CPACK_DEBIAN_PYTHON_PACKAGE_NAME python3-stimora)
set(CPACK_DEBIAN_PYTHON_PACKAGE_SECTION python)
set(CPACK_DEBIAN_PYTHON_PACKAGE_SHLIBDEPS ON)
if(STIMORA_PYTHON_VERSION)
  string(REGEX REPLACE "^([0-9]+)\\.([0-9]+)$" "\\1" python_major "${STIMORA_PYTHON_VERSION}")
  string(REGEX REPLACE "^([0-9]+)\\.([0-9]+)$" "\\2" python_minor "${STIMORA_PYTHON_VERSION}")
  math(EXPR python_next "${python_minor} + 1")
  # The extension module is built for one Python version: it names that version's range.
  set(CPACK_DEBIAN_PYTHON_PACKAGE_DEPENDS "libstimora0 (= ${PROJECT_VERSION}), \
python3 (>= ${STIMORA_PYTHON_VERSION}), python3 (<< ${python_major}.${python_next}), python3-numpy")
endif()
set(CPACK_COMPONENT_PYTHON_DESCRIPTION "C++ framework for visual psychophysics - Python 3 module\n${stimora_about}\n\nThis package holds the module stimora: experiments written as Python\nscripts, with the frame loop's timing kept in C++.")

include(CPack)
