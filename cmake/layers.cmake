# One library per folder below the windows. A library sees the headers of its
# own folder and of the libraries it uses, nothing else: each folder gets a
# view (build/layers/<folder>/<folder> -> the source folder) as its only
# include path, so an include that runs upward does not compile.
# quillon_layer(FOLDER [INTERFACE] USES LIBRARIES...) makes quillon_<folder>;
# the folder's own CMakeLists.txt adds the sources.
function(quillon_layer folder)
  cmake_parse_arguments(PARSE_ARGV 1 layer "INTERFACE" "" "USES")
  set(target quillon_${folder})
  set(view ${CMAKE_BINARY_DIR}/layers/${folder})
  file(MAKE_DIRECTORY ${view})
  file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${folder} ${view}/${folder} SYMBOLIC)
  if(layer_INTERFACE)
    add_library(${target} INTERFACE)
    target_include_directories(${target} INTERFACE ${view})
    target_link_libraries(${target} INTERFACE ${layer_USES})
  else()
    add_library(${target} STATIC)
    target_include_directories(${target} PUBLIC ${view})
    target_link_libraries(${target} PUBLIC ${layer_USES})
  endif()
  add_subdirectory(${folder})
endfunction()
