# Installing without a package, and uninstalling again: `cmake --install` records the files it
# writes in install_manifest.txt, and here also the directories it makes, so that
# `cmake --build <build> --target uninstall` removes both and leaves the prefix as it was.

set(nuv_made_directories ${CMAKE_BINARY_DIR}/install_directories.txt)

# Installs as install() does, noting the destination.
function(nuv_install)
  cmake_parse_arguments(PARSE_ARGV 0 arg "" "DESTINATION" "")
  set_property(GLOBAL APPEND PROPERTY NUV_INSTALL_DIRECTORIES ${arg_DESTINATION})
  install(${ARGV})
endfunction()

# Before any file is installed, the directories that do not exist yet are noted, up to the first
# one that does; what an earlier install noted is kept. The list of destinations is written once
# every one is known, at the end of the configuration.
install(CODE "include(\"${CMAKE_BINARY_DIR}/note_made_directories.cmake\")")
cmake_language(DEFER DIRECTORY ${PROJECT_SOURCE_DIR} CALL nuv_write_directory_note)
function(nuv_write_directory_note)
  get_property(destinations GLOBAL PROPERTY NUV_INSTALL_DIRECTORIES)
  list(REMOVE_DUPLICATES destinations)
  file(WRITE ${CMAKE_BINARY_DIR}/note_made_directories.cmake "
set(made)
if(EXISTS \"${nuv_made_directories}\")
  file(STRINGS \"${nuv_made_directories}\" made)
endif()
foreach(destination ${destinations})
  set(path \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/\${destination}\")
  while(NOT EXISTS \"\${path}\")
    list(APPEND made \"\${path}\")
    get_filename_component(path \"\${path}\" DIRECTORY)
  endwhile()
endforeach()
list(REMOVE_DUPLICATES made)
list(JOIN made \"\\n\" lines)
file(WRITE \"${nuv_made_directories}\" \"\${lines}\\n\")
")
endfunction()

configure_file(${CMAKE_CURRENT_LIST_DIR}/uninstall.cmake.in ${CMAKE_BINARY_DIR}/uninstall.cmake @ONLY)
add_custom_target(uninstall COMMAND ${CMAKE_COMMAND} -P ${CMAKE_BINARY_DIR}/uninstall.cmake
  COMMENT "Removing what cmake --install wrote")
