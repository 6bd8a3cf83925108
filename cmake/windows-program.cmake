# Vorpane.EXE: the Win32 front end on the core, with its resources.
enable_language(RC)

# The manifest names the version as well: it must be the one of project(),
# in four parts.
string(REGEX MATCH "^[0-9]+\\.[0-9]+\\.[0-9]+\\.[0-9]+" VORPANE_FOUR_PART_VERSION
  "${PROJECT_VERSION}.0.0.0")
file(READ res/vorpane.manifest VORPANE_MANIFEST)
if(NOT VORPANE_MANIFEST MATCHES "name=\"Vorpane\" version=\"${VORPANE_FOUR_PART_VERSION}\"")
  message(FATAL_ERROR "res/vorpane.manifest: set Vorpane's version=\"${VORPANE_FOUR_PART_VERSION}\"")
endif()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/res/vorpane.manifest)

add_executable(Vorpane WIN32
  src/windows/about_dlg.cpp
  src/windows/main_window.cpp
  src/windows/vorpane_app.cpp
  src/windows/win32_services.cpp
  res/vorpane.rc
)
set_target_properties(Vorpane PROPERTIES OUTPUT_NAME Vorpane SUFFIX .EXE)
set_source_files_properties(res/vorpane.rc PROPERTIES
  OBJECT_DEPENDS "${CMAKE_SOURCE_DIR}/res/resource.h;${CMAKE_SOURCE_DIR}/res/vorpane.ico;${CMAKE_SOURCE_DIR}/res/vorpane.manifest")
target_link_libraries(Vorpane PRIVATE vorpane_core comctl32 shell32 ole32 user32 gdi32 advapi32)
# The release carries no symbols.
target_link_options(Vorpane PRIVATE $<$<CONFIG:Release>:-s>)

# make package: Vorpane-<version>-win32.zip, the program, a README for
# players and the licence that goes with every copy, with Windows line ends
# for Notepad.
set(VORPANE_HOMEPAGE "" CACHE STRING "Homepage address for the packages (empty: none)")
if(VORPANE_HOMEPAGE STREQUAL "")
  set(VORPANE_WHERE_TO_GET "Newer versions are to be had where this zip came from.")
else()
  set(VORPANE_WHERE_TO_GET "Newer versions and the source code: ${VORPANE_HOMEPAGE}")
endif()
configure_file(res/windows-readme.txt ${CMAKE_BINARY_DIR}/README.txt @ONLY NEWLINE_STYLE CRLF)
configure_file(LICENSE ${CMAKE_BINARY_DIR}/LICENSE.txt @ONLY NEWLINE_STYLE CRLF)
# Built by make windows; the suites beside it need not be.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
install(TARGETS Vorpane RUNTIME DESTINATION .)
install(FILES ${CMAKE_BINARY_DIR}/README.txt ${CMAKE_BINARY_DIR}/LICENSE.txt DESTINATION .)
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_FILE_NAME Vorpane-${PROJECT_VERSION}-win32)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
include(CPack)
