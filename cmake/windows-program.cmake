# Vorpane.EXE: the Win32 front end on the core, with its resources.
enable_language(RC)

add_executable(Vorpane WIN32
  src/ui/win32/about_dlg.cpp
  src/ui/win32/main_window.cpp
  src/ui/win32/vorpane_app.cpp
  src/ui/win32/win32_services.cpp
  res/vorpane.rc
)
set_target_properties(Vorpane PROPERTIES OUTPUT_NAME Vorpane SUFFIX .EXE)
set_source_files_properties(res/vorpane.rc PROPERTIES
  OBJECT_DEPENDS "${CMAKE_SOURCE_DIR}/res/resource.h;${CMAKE_SOURCE_DIR}/res/vorpane.ico;${CMAKE_SOURCE_DIR}/res/vorpane.manifest")
target_link_libraries(Vorpane PRIVATE vorpane_core comctl32 shell32 ole32 user32 gdi32 advapi32)
# The release carries no symbols.
target_link_options(Vorpane PRIVATE $<$<CONFIG:Release>:-s>)
