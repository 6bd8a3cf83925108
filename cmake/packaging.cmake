# The Debian package players install: cmake --build <dir> --target package
# makes vorpane_<version>_amd64.deb from the install rules of the program.
if(WIN32 OR NOT TARGET vorpane)
  return()
endif()
include(GNUInstallDirs)

set(VORPANE_MAINTAINER "The Vorpane developers <vorpane-devel@googlegroups.com>")
# Where players find the project, its bug tracker and a picture of the
# window. Whoever publishes a build gives the real addresses; an empty one is
# left out of the package and its AppStream entry rather than guessed.
set(VORPANE_HOMEPAGE "" CACHE STRING "Homepage address for the package and AppStream entry (empty: none)")
set(VORPANE_BUGTRACKER_URL "" CACHE STRING "Bug tracker address for the AppStream entry (empty: none)")
set(VORPANE_SCREENSHOT_URL "" CACHE STRING "Address of a screenshot for the AppStream entry (empty: none)")
set(VORPANE_APP_ID "io.github.vorpane.vorpane")
set(VORPANE_DOCDIR "${CMAKE_INSTALL_DATADIR}/doc/vorpane")

# The release date is the last commit's, so rebuilding the same sources gives
# the same package; SOURCE_DATE_EPOCH, when set, wins.
set(vorpane_epoch "$ENV{SOURCE_DATE_EPOCH}")
if(vorpane_epoch STREQUAL "")
  find_package(Git QUIET)
  if(GIT_FOUND)
    execute_process(COMMAND ${GIT_EXECUTABLE} log -1 --format=%ct
      WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
      OUTPUT_VARIABLE vorpane_epoch OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  endif()
endif()
set(vorpane_saved_epoch "$ENV{SOURCE_DATE_EPOCH}")
if(NOT vorpane_epoch STREQUAL "")
  set(ENV{SOURCE_DATE_EPOCH} "${vorpane_epoch}")
endif()
string(TIMESTAMP VORPANE_RELEASE_DATE "%Y-%m-%d" UTC)
string(TIMESTAMP VORPANE_RELEASE_TIME "%a, %d %b %Y %H:%M:%S +0000" UTC)
set(ENV{SOURCE_DATE_EPOCH} "${vorpane_saved_epoch}")

# The copyright file carries LICENSE's terms, in the copyright format's indent.
file(READ ${CMAKE_SOURCE_DIR}/LICENSE vorpane_license)
string(REGEX REPLACE "^.*\n\n(Permission)" "\\1" vorpane_license "${vorpane_license}")
string(STRIP "${vorpane_license}" vorpane_license)
string(REPLACE "\n\n" "\n.\n" vorpane_license "${vorpane_license}")
string(REPLACE "\n" "\n " VORPANE_LICENSE_BODY " ${vorpane_license}")

# The addresses that were given, as the copyright file and the metainfo
# write them.
function(vorpane_xml_text out text)
  string(REPLACE "&" "&amp;" text "${text}")
  string(REPLACE "<" "&lt;" text "${text}")
  string(REPLACE ">" "&gt;" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()
set(VORPANE_COPYRIGHT_SOURCE "")
set(VORPANE_METAINFO_URLS "")
set(VORPANE_METAINFO_SCREENSHOTS "")
if(NOT VORPANE_HOMEPAGE STREQUAL "")
  set(VORPANE_COPYRIGHT_SOURCE "\nSource: ${VORPANE_HOMEPAGE}")
  vorpane_xml_text(url "${VORPANE_HOMEPAGE}")
  string(APPEND VORPANE_METAINFO_URLS "\n  <url type=\"homepage\">${url}</url>")
endif()
if(NOT VORPANE_BUGTRACKER_URL STREQUAL "")
  vorpane_xml_text(url "${VORPANE_BUGTRACKER_URL}")
  string(APPEND VORPANE_METAINFO_URLS "\n  <url type=\"bugtracker\">${url}</url>")
endif()
if(NOT VORPANE_SCREENSHOT_URL STREQUAL "")
  vorpane_xml_text(url "${VORPANE_SCREENSHOT_URL}")
  set(VORPANE_METAINFO_SCREENSHOTS "
  <screenshots>
    <screenshot type=\"default\">
      <caption>The cache by download time, one download batch selected</caption>
      <image>${url}</image>
    </screenshot>
  </screenshots>")
endif()

set(vorpane_pkg ${CMAKE_BINARY_DIR}/package-files)
configure_file(res/copyright.in ${vorpane_pkg}/copyright @ONLY)
configure_file(res/changelog.in ${vorpane_pkg}/changelog @ONLY)
configure_file(res/${VORPANE_APP_ID}.metainfo.xml.in
  ${vorpane_pkg}/${VORPANE_APP_ID}.metainfo.xml @ONLY)

# Debian wants manual pages and changelogs gzipped to the maximum, without the
# time stamp gzip would store.
find_program(GZIP_EXECUTABLE gzip REQUIRED)
add_custom_command(OUTPUT ${vorpane_pkg}/vorpane.1.gz
  COMMAND ${GZIP_EXECUTABLE} -9n -c ${CMAKE_SOURCE_DIR}/res/vorpane.1 > ${vorpane_pkg}/vorpane.1.gz
  DEPENDS ${CMAKE_SOURCE_DIR}/res/vorpane.1 VERBATIM)
add_custom_command(OUTPUT ${vorpane_pkg}/changelog.gz
  COMMAND ${GZIP_EXECUTABLE} -9n -c ${vorpane_pkg}/changelog > ${vorpane_pkg}/changelog.gz
  DEPENDS ${vorpane_pkg}/changelog VERBATIM)
add_custom_target(vorpane_package_files ALL
  DEPENDS ${vorpane_pkg}/vorpane.1.gz ${vorpane_pkg}/changelog.gz)

install(FILES ${vorpane_pkg}/${VORPANE_APP_ID}.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${vorpane_pkg}/vorpane.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${vorpane_pkg}/copyright ${vorpane_pkg}/changelog.gz
  DESTINATION ${VORPANE_DOCDIR})
# A stripping install (as CPack's) also drops what dh_strip drops.
install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
      \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/vorpane\"
      COMMAND_ERROR_IS_FATAL ANY)
  endif()")

# Debian's hardening flags (as dpkg-buildflags gives them) for the code
# players install; Debug keeps -O0, where fortification does not work.
foreach(vorpane_target vorpane vorpane_core)
  target_compile_options(${vorpane_target} PRIVATE
    $<$<NOT:$<CONFIG:Debug>>:-U_FORTIFY_SOURCE -D_FORTIFY_SOURCE=2>
    -fstack-protector-strong)
endforeach()
target_link_options(vorpane PRIVATE -Wl,-z,relro -Wl,-z,now)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vorpane)
set(CPACK_PACKAGE_VENDOR "The Vorpane developers")
set(CPACK_PACKAGE_CONTACT "${VORPANE_MAINTAINER}")
set(CPACK_PACKAGE_HOMEPAGE_URL "${VORPANE_HOMEPAGE}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "sort out the files Unreal Tournament downloaded into its cache")
set(CPACK_PACKAGE_DESCRIPTION
"When Unreal Tournament (UT99) joins a server, it downloads the maps,
textures, sounds, music and packages it lacks into its Cache folder under
generated names, and notes their real names in cache.ini.

Vorpane lists those files by the time they arrived, split into the batches
they were downloaded in, and lets the player move them into the game's own
folders under their real names, delete them, and compact cache.ini so that
it lists only the files still in the cache.

It finds a game installed through Wine, Steam's Proton, Lutris, Heroic,
Bottles, PlayOnLinux or CrossOver from the game's own registry entry, and
otherwise asks for the game folder. For the game's
native Linux build, the player chooses its installation folder and the
downloads in ~/.utpg/Cache (or ~/.loki/ut/Cache) are listed.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# Independent of the umask of whoever builds the package.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# A tool for the game's files, not a game: menus still list it with the
# games through its desktop entry.
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
include(CPack)
