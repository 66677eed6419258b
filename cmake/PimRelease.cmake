# What an executable that goes into the Windows release carries: the
# application manifest, the version resource, the icon (Pim.exe only), and no
# symbol table, which would hold the names of the build's files.
#
#   pim_release_executable(target DESCRIPTION "..." DESCRIPTION_ASCII "..." [ICON])
function(pim_release_executable target)
  if(NOT WIN32)
    return()
  endif()
  cmake_parse_arguments(ARG "ICON" "DESCRIPTION;DESCRIPTION_ASCII" "" ${ARGN})
  set(dir ${CMAKE_CURRENT_BINARY_DIR}/${target}-resources)
  set(PIM_EXE_NAME ${target})
  set(PIM_DESCRIPTION "${ARG_DESCRIPTION}")
  set(PIM_DESCRIPTION_ASCII "${ARG_DESCRIPTION_ASCII}")
  set(v ${PROJECT_VERSION_MAJOR} ${PROJECT_VERSION_MINOR} ${PROJECT_VERSION_PATCH})
  list(JOIN v "." PIM_VERSION_QUAD)
  string(APPEND PIM_VERSION_QUAD ".0")
  string(REPLACE "." "," PIM_VERSION_COMMAS ${PIM_VERSION_QUAD})
  set(PIM_MANIFEST ${dir}/${target}.manifest)
  configure_file(${PROJECT_SOURCE_DIR}/release/Pim.manifest.in ${PIM_MANIFEST} @ONLY)
  set(depends ${PIM_MANIFEST})
  set(PIM_ICON_LINE "")
  if(ARG_ICON)
    # Icon 1 is the one the window class and Explorer take.
    set(icon ${dir}/Pim.ico)
    add_custom_command(OUTPUT ${icon}
      COMMAND ${PROJECT_SOURCE_DIR}/scripts/make-icon ${icon}
      DEPENDS ${PROJECT_SOURCE_DIR}/scripts/make-icon
      COMMENT "Drawing the icon")
    add_custom_target(${target}_icon DEPENDS ${icon})
    add_dependencies(${target} ${target}_icon)
    set(PIM_ICON_LINE "1 ICON \"${icon}\"")
    list(APPEND depends ${icon})
  endif()
  configure_file(${PROJECT_SOURCE_DIR}/release/Resources.rc.in ${dir}/${target}.rc @ONLY)
  set_source_files_properties(${dir}/${target}.rc PROPERTIES OBJECT_DEPENDS "${depends}")
  target_sources(${target} PRIVATE ${dir}/${target}.rc)
  target_link_options(${target} PRIVATE -s)
endfunction()
