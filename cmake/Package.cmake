# What `cmake --install` puts where, and the Debian package CPack makes of it
# (`make package`). The desktop program finds its face in share/reelcatch and
# its watcher in lib/reelcatch when its own folder does not hold them
# (shell/program_folders.h); the watcher is no command of its own, so it stays
# off the PATH.
include(GNUInstallDirs)

set(REELCATCH_MAINTAINER "Reelcatch maintainers <maintainers@reelcatch.invalid>"
    CACHE STRING "Maintainer named in the Debian package and its changelog")
set(REELCATCH_HOMEPAGE "https://github.com/reelcatch/reelcatch"
    CACHE STRING "The project's home page, named in the Debian package")
set(dist ${CMAKE_SOURCE_DIR}/dist)
set(generated ${CMAKE_BINARY_DIR}/dist)
set(datadir ${CMAKE_INSTALL_DATADIR})

# Debian wants manual pages and changelogs compressed, and reproducibly so
# (no name or time in the header).
set(built)
function(reelcatch_gzip source name)
  set(output ${generated}/${name}.gz)
  add_custom_command(OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E copy ${source} ${generated}/${name}
    COMMAND gzip -9nf ${generated}/${name}
    DEPENDS ${source} VERBATIM)
  set(built ${built} ${output} PARENT_SCOPE)
endfunction()

configure_file(${dist}/changelog.in ${generated}/changelog @ONLY)
reelcatch_gzip(${generated}/changelog changelog)
reelcatch_gzip(${dist}/reelcatch-get.1 reelcatch-get.1)

install(TARGETS reelcatch-get RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${generated}/reelcatch-get.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${dist}/reelcatch-get.bash RENAME reelcatch-get
  DESTINATION ${datadir}/bash-completion/completions)
install(FILES ${dist}/copyright ${generated}/changelog.gz DESTINATION ${datadir}/doc/reelcatch)

if(TARGET reelcatch)
  install(TARGETS reelcatch RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(TARGETS reelcatch-clip RUNTIME DESTINATION lib/reelcatch)
  # The face's files, as the build tree has them beside the programs.
  install(FILES ${face_assets} DESTINATION ${datadir}/reelcatch)

  reelcatch_gzip(${dist}/reelcatch.1 reelcatch.1)
  install(FILES ${generated}/reelcatch.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES face/reelcatch.desktop DESTINATION ${datadir}/applications)
  install(FILES ${dist}/io.github.reelcatch.Reelcatch.metainfo.xml DESTINATION ${datadir}/metainfo)

  # The icon is drawn once, as SVG; the sizes menus ask for most are made
  # from it.
  find_program(RSVG_CONVERT rsvg-convert REQUIRED)
  set(icons ${CMAKE_BINARY_DIR}/icons)
  install(FILES face/reelcatch.svg DESTINATION ${datadir}/icons/hicolor/scalable/apps)
  foreach(size 48 128)
    set(png ${icons}/${size}/reelcatch.png)
    add_custom_command(OUTPUT ${png}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${icons}/${size}
      COMMAND ${RSVG_CONVERT} -w ${size} -h ${size} -o ${png} ${CMAKE_SOURCE_DIR}/face/reelcatch.svg
      DEPENDS face/reelcatch.svg VERBATIM)
    list(APPEND built ${png})
    install(FILES ${png} DESTINATION ${datadir}/icons/hicolor/${size}x${size}/apps)
  endforeach()
endif()
add_custom_target(reelcatch_dist ALL DEPENDS ${built})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME reelcatch)
set(CPACK_PACKAGE_VENDOR "The Reelcatch developers")
set(CPACK_PACKAGE_CONTACT ${REELCATCH_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "save videos from video sharing web sites")
# Lines as they stand in dist/description: CPack does not wrap them.
file(READ ${dist}/description CPACK_PACKAGE_DESCRIPTION)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${REELCATCH_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# What the linker cannot see: the QML modules the face imports and Qt's
# platform plugins. The help page and folders open through xdg-open.
if(TARGET reelcatch)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "qt6-qpa-plugins, qml6-module-qtquick, qml6-module-qtquick-controls, "
    "qml6-module-qtquick-layouts, qml6-module-qtquick-templates, "
    "qml6-module-qtquick-window, qml6-module-qtqml-workerscript")
  string(JOIN "" CPACK_DEBIAN_PACKAGE_DEPENDS ${CPACK_DEBIAN_PACKAGE_DEPENDS})
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
endif()
include(CPack)
