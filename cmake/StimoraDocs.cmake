# The API reference: `cmake --build build --target docs` writes build/docs/html/index.html. The
# target fails on any Doxygen warning.
find_package(Doxygen QUIET)
if(DOXYGEN_FOUND)
  set(STIMORA_DOCS_OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/docs)
  configure_file(${CMAKE_CURRENT_LIST_DIR}/Doxyfile.in ${STIMORA_DOCS_OUTPUT}/Doxyfile @ONLY)
  add_custom_target(docs
    COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/docs-check.sh ${DOXYGEN_EXECUTABLE} ${STIMORA_DOCS_OUTPUT}
            ${PROJECT_SOURCE_DIR}
    COMMENT "API reference: ${STIMORA_DOCS_OUTPUT}/html/index.html" VERBATIM)
  install(DIRECTORY ${STIMORA_DOCS_OUTPUT}/html DESTINATION ${STIMORA_DOC_DIR} COMPONENT doc OPTIONAL)
endif()
