# What an installation holds and how it is packed. The program finds its
# installation by the shared folder beside its bin folder (see
# src/store/store_location.h), so both follow GNUInstallDirs.

install(TARGETS tarnvel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES examples/reducer_shaft.tvd DESTINATION ${CMAKE_INSTALL_DATADIR}/tarnvel/examples)

if(UNIX AND NOT APPLE)
  # The desktop's parts: the menu entry, its icon in the hicolor theme (a
  # 48 px picture is kept drawn, so the build needs no SVG converter), and
  # the scenario files' type, which the entry opens.
  install(FILES packaging/tarnvel.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES packaging/tarnvel.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  install(FILES packaging/tarnvel-48.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/48x48/apps
          RENAME tarnvel.png)
  install(FILES packaging/tarnvel-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME tarnvel.xml)
  install(FILES packaging/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tarnvel)

  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGE_NAME tarnvel)
  set(CPACK_PACKAGE_VENDOR "The Tarnvel developers")
  set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "check of a gear-transmission shaft on two rolling bearings")
  set(CPACK_PACKAGE_DESCRIPTION "Tarnvel checks one gear-transmission shaft carried by two rolling bearings:\n\
mesh forces of spur, helical and bevel gears, support reactions in two planes,\n\
bending-moment diagrams, the equivalent load, rated life and static safety of\n\
the chosen bearings; the torque, required diameter, static safety and\n\
stiffness of a stepped shaft; and an HTML report. The user interface is Russian.")
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The Tarnvel developers <tarnvel@example.org>")
  set(CPACK_DEBIAN_PACKAGE_SECTION science)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  # The shared libraries' packages come from dpkg-shlibdeps; the diagrams'
  # labels need a font, which no library pulls in.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core")
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_STRIP_FILES ON)
  include(CPack)
endif()
