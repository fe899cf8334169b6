# Adds the SVG pictures (all in one folder) to a target's resources under prefix. Without Qt Svg
# (the Windows build) they go in as 256-pixel PNG files, rendered on the
# build host by rsvg-convert.
function(quillon_add_pictures target name prefix)
  # The pictures are named by their file name alone.
  list(GET ARGN 0 first)
  get_filename_component(folder ${CMAKE_CURRENT_SOURCE_DIR}/${first} DIRECTORY)
  if(QUILLON_HAVE_SVG)
    qt_add_resources(${target} ${name} PREFIX ${prefix} BASE ${folder} FILES ${ARGN})
    return()
  endif()
  find_program(RSVG_CONVERT rsvg-convert REQUIRED)
  set(pngs)
  foreach(svg IN LISTS ARGN)
    get_filename_component(stem ${svg} NAME_WE)
    set(png ${CMAKE_CURRENT_BINARY_DIR}/${name}/${stem}.png)
    add_custom_command(OUTPUT ${png}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/${name}
      COMMAND ${RSVG_CONVERT} -w 256 -h 256 -o ${png} ${CMAKE_CURRENT_SOURCE_DIR}/${svg}
      DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${svg} VERBATIM)
    list(APPEND pngs ${png})
  endforeach()
  qt_add_resources(${target} ${name} PREFIX ${prefix} BASE ${CMAKE_CURRENT_BINARY_DIR}/${name} FILES ${pngs})
endfunction()
