# vorpane: the wxWidgets (GTK 3) front end on the core, and its installation.
find_package(wxWidgets 3.2 REQUIRED COMPONENTS core base)
include(${wxWidgets_USE_FILE})
# GTK itself, for what wxWidgets does not reach: the list's tree view and its model.
find_package(PkgConfig REQUIRED)
pkg_check_modules(GTK3 REQUIRED IMPORTED_TARGET gtk+-3.0)
include(GNUInstallDirs)

# The program icon, built into the program from res/vorpane.ico.
file(READ ${CMAKE_SOURCE_DIR}/res/vorpane.ico VORPANE_ICON_HEX HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," VORPANE_ICON_BYTES "${VORPANE_ICON_HEX}")
file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/generated/program_icon_data.cpp CONTENT
"// Generated from res/vorpane.ico.
#include <cstddef>
extern const unsigned char kProgramIconData[] = {${VORPANE_ICON_BYTES}};
extern const std::size_t kProgramIconSize = sizeof(kProgramIconData);
")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/res/vorpane.ico)

add_executable(vorpane
  src/linux/about_dlg.cpp
  src/linux/box_accessible.cpp
  src/linux/list_rows_accessible.cpp
  src/linux/main_window.cpp
  src/linux/phase_marks.cpp
  src/linux/program_icon.cpp
  src/linux/list_rows_view.cpp
  src/linux/template_builder.cpp
  src/linux/text_layout.cpp
  src/linux/toggle_list.cpp
  src/linux/virtual_list_box.cpp
  src/linux/vorpane_app.cpp
  src/linux/wx_services.cpp
  ${CMAKE_BINARY_DIR}/generated/program_icon_data.cpp
)
target_link_libraries(vorpane PRIVATE vorpane_core ${wxWidgets_LIBRARIES} PkgConfig::GTK3)
# The toolkit's headers are not ours to warn about.
target_include_directories(vorpane SYSTEM PRIVATE ${wxWidgets_INCLUDE_DIRS})

install(TARGETS vorpane RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES res/vorpane.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/32x32/apps)
install(FILES res/vorpane-64.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/64x64/apps
  RENAME vorpane.png)
install(FILES res/vorpane.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
