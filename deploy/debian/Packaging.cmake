# The Debian packages roamlog (the program and its tool) and roamlog-server (the server as a
# systemd service), made by CPack from the components "desktop" and "server" of the system
# layout: ./package.sh. Their dependencies come from dpkg-shlibdeps, plus the plug-ins that
# Qt loads at run time, which no library names.
set(deploy ${PROJECT_SOURCE_DIR}/deploy)

# Manual pages and the changelog are installed compressed without a time stamp, as Debian wants.
set(compressed "")
foreach(file man/roamlog.1 man/roamlog-cli.1 man/roamlog-server.8 debian/changelog)
  get_filename_component(name ${file} NAME)
  set(out ${PROJECT_BINARY_DIR}/deploy/${name}.gz)
  add_custom_command(OUTPUT ${out} COMMAND gzip -9nc ${deploy}/${file} > ${out}
                     DEPENDS ${deploy}/${file} VERBATIM)
  list(APPEND compressed ${out})
endforeach()
add_custom_target(roamlog_package_files ALL DEPENDS ${compressed})
set(gz ${PROJECT_BINARY_DIR}/deploy)

function(roamlog_install_package_files component)
  install(FILES ${ARGN} COMPONENT ${component} EXCLUDE_FROM_ALL)
endfunction()

# The program: menu entry, AppStream metadata, icon, manual pages, copyright and changelog.
roamlog_install_package_files(desktop ${deploy}/desktop/com.fenwary.Roamlog.desktop DESTINATION share/applications)
roamlog_install_package_files(desktop ${deploy}/desktop/com.fenwary.Roamlog.metainfo.xml DESTINATION share/metainfo)
install(DIRECTORY ${deploy}/icons/hicolor DESTINATION share/icons COMPONENT desktop EXCLUDE_FROM_ALL)
roamlog_install_package_files(desktop ${gz}/roamlog.1.gz ${gz}/roamlog-cli.1.gz DESTINATION share/man/man1)
roamlog_install_package_files(desktop ${deploy}/debian/copyright ${gz}/changelog.gz DESTINATION share/doc/roamlog)

# The server: manual page, unit, settings, copyright and changelog.
roamlog_install_package_files(server ${gz}/roamlog-server.8.gz DESTINATION share/man/man8)
roamlog_install_package_files(server ${deploy}/roamlog-server.service DESTINATION /lib/systemd/system)
roamlog_install_package_files(server ${deploy}/roamlog-server.default DESTINATION /etc/default RENAME roamlog-server)
roamlog_install_package_files(server ${deploy}/debian/copyright ${gz}/changelog.gz DESTINATION share/doc/roamlog-server)

set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL desktop server)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Each package gives its own summary as the first line of its description; CPack puts a summary
# of its own in front of that unless it is CPack's default.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${CMAKE_PROJECT_NAME} built using CMake")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Fenwary <roamlog@fenwary.com>")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "http://www.fenwary.com/roamlog/")
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SOURCE roamlog)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

set(CPACK_DEBIAN_DESKTOP_PACKAGE_NAME roamlog)
set(CPACK_DEBIAN_DESKTOP_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_DESKTOP_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_DESKTOP_DESCRIPTION "travel log of the places you visited
Roamlog@ keeps one record for every hotel, restaurant, shop or other place you
visited: its contact details and address, the date of the visit, the price
paid, how satisfied you were and your comments. Pick lists make entry quick,
every change is saved at once with a backup, and records can be shared with a
public database. The records stay in the user's own data folder.
.
This package holds the desktop program and roamlog-cli, which exports, imports
and checks the records.")

set(CPACK_DEBIAN_SERVER_PACKAGE_NAME roamlog-server)
set(CPACK_DEBIAN_SERVER_PACKAGE_SECTION web)
set(CPACK_DEBIAN_SERVER_PACKAGE_DEPENDS "adduser, libqt6sql6-sqlite, libqt6sql6-psql")
set(CPACK_DEBIAN_SERVER_DESCRIPTION "web server for the Roamlog@ travel log
roamlog-server answers the requests of the Roamlog@ desktop program: shared
records, forum posts and the version file. It also serves the product page,
the record browser and the forum, on SQLite or PostgreSQL.
.
The package runs it as a systemd service under its own user, with its
database in /var/lib/roamlog-server.")
set(server_scripts ${deploy}/debian/roamlog-server)
set(CPACK_DEBIAN_SERVER_PACKAGE_CONTROL_EXTRA
    ${server_scripts}/postinst ${server_scripts}/prerm ${server_scripts}/postrm ${server_scripts}/conffiles)

include(CPack)
