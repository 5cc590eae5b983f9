# Two ways to install. By default into one folder of its own (./run.sh, Windows): the program
# finds its files beside itself and keeps the user's data there. The components "desktop" and
# "server" lay the files out as a Linux system has them (bin/, share/roamlog/, ...) for the
# Debian packages (deploy/debian/Packaging.cmake); they are installed only when asked for.
# ProgramFolders finds share/roamlog/ beside bin/.
set(ROAMLOG_SHARED_DIR share/roamlog)

# The programs TARGETS, beside each other or in bin/ of COMPONENT.
function(roamlog_install_programs component)
  install(TARGETS ${ARGN} RUNTIME DESTINATION .)
  install(TARGETS ${ARGN} RUNTIME DESTINATION bin COMPONENT ${component} EXCLUDE_FROM_ALL)
endfunction()

# The program's own read-only files (install(FILES) arguments), in FOLDER beside the program
# or below share/roamlog/.
function(roamlog_install_shared folder)
  install(FILES ${ARGN} DESTINATION ${folder})
  install(FILES ${ARGN} DESTINATION ${ROAMLOG_SHARED_DIR}/${folder} COMPONENT desktop EXCLUDE_FROM_ALL)
endfunction()

roamlog_install_programs(desktop roamlog roamlog-cli)
if(TARGET roamlog-server)
  roamlog_install_programs(server roamlog-server)
endif()
roamlog_install_shared(. data/help.html)
roamlog_install_shared(. data/combos.ini RENAME combos.ini.default)
roamlog_install_shared(atlas data/atlas/countries.tsv data/atlas/countries-50m.json data/atlas/cities.tsv
                       data/atlas/README)
# The server draws the record browser's map from the countries and their shapes, of its own
# package (share/roamlog-server/) so that it needs no part of the program's.
install(FILES data/atlas/countries.tsv data/atlas/countries-50m.json data/atlas/README
        DESTINATION share/roamlog-server/atlas COMPONENT server EXCLUDE_FROM_ALL)

if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
  include(${CMAKE_CURRENT_LIST_DIR}/debian/Packaging.cmake)
endif()
