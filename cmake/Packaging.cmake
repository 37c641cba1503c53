# The Debian packages, made by CPack from the build tree (any build type
# with optimisation; the default preset's RelWithDebInfo is stripped here):
#
#   zaro-player_VERSION_amd64.deb   the player, the uninstaller, the skin, the
#                                   browser plug-in, desktop entries, icons,
#                                   metainfo and manual pages (component "player")
#   zaro-service_VERSION_amd64.deb  the reference video service (component "service")
#
# Library dependencies are computed by dpkg-shlibdeps. CPack indents the
# descriptions' lines itself (an empty line separates paragraphs). scripts/package runs
# it: cpack --config build/default/CPackConfig.cmake -B build/default/packages
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${ZARO_PACKAGE_NAME})
set(CPACK_PACKAGE_VERSION ${ZARO_SHORT_VERSION})
set(CPACK_PACKAGE_VENDOR Zaro)
set(CPACK_PACKAGE_CONTACT "Zaro Player developers <player@zaro.tv>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_COMPONENTS_ALL player service)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://zaro.tv/")
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_COMPRESSION_TYPE gzip)

set(CPACK_DEBIAN_PLAYER_PACKAGE_NAME ${ZARO_PACKAGE_NAME})
set(CPACK_DEBIAN_PLAYER_PACKAGE_SECTION video)
# pkexec: the uninstaller's administrator rights; setpriv (util-linux, essential) for the media.
set(CPACK_DEBIAN_PLAYER_PACKAGE_RECOMMENDS "pkexec, xdg-utils")
set(CPACK_DEBIAN_PLAYER_DESCRIPTION "desktop client of the Zaro video service
Zaro Player downloads the videos of the Zaro service from the links of its
web pages (resuming broken transfers), subscribes to its feeds and keeps
everything in a local library browsable by publisher, channel, category,
tag, series, date and subscription. It keeps playlists, imports local movie
files and plays videos in a skinned window or full screen, with media keys,
desktop notifications and a status icon.

The package also holds the uninstaller and the browser plug-in that tells
the service's pages that the player is installed.")

set(CPACK_DEBIAN_SERVICE_PACKAGE_NAME zaro-service)
set(CPACK_DEBIAN_SERVICE_PACKAGE_SECTION net)
set(CPACK_DEBIAN_SERVICE_DESCRIPTION "reference Zaro video service for trying Zaro Player
zaro-service answers every exchange of the Zaro video service on one local
HTTP port, with a built-in demo catalog: meta information, thumbnails,
resumable video files, feeds, reports and the web pages with their zaro://
links. Zaro Player pointed at it (ZARO_SERVICE_URL) works as against the
real service; faults can be switched on for testing.")

# Each package's copyright and changelog, as Debian keeps them.
foreach(component player service)
  set(ZARO_PACKAGE_NAME zaro-${component})
  set(doc ${CMAKE_BINARY_DIR}/share/doc/${ZARO_PACKAGE_NAME})
  configure_file(${PROJECT_SOURCE_DIR}/resources/debian/changelog.in ${doc}/changelog @ONLY)
  execute_process(COMMAND gzip -9nf ${doc}/changelog RESULT_VARIABLE gzipped)
  if(NOT gzipped EQUAL 0)
    message(FATAL_ERROR "cannot compress ${doc}/changelog")
  endif()
  install(FILES ${doc}/changelog.gz ${PROJECT_SOURCE_DIR}/resources/debian/copyright
    DESTINATION share/doc/${ZARO_PACKAGE_NAME} COMPONENT ${component})
endforeach()

install(FILES ${PROJECT_SOURCE_DIR}/resources/debian/zaro-player.lintian-overrides
  DESTINATION share/lintian/overrides RENAME zaro-player COMPONENT player)

include(CPack)
