# Platform files: name_posix.cpp and name_win32.cpp implement one interface;
# only the build platform's side is compiled.
function(quillon_platform_sources var)
  if(WIN32)
    list(FILTER ${var} EXCLUDE REGEX "_posix\\.cpp$")
  else()
    list(FILTER ${var} EXCLUDE REGEX "_win32\\.cpp$")
  endif()
  set(${var} ${${var}} PARENT_SCOPE)
endfunction()
