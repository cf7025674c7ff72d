# Collects the sources of one folder (recursively) so that new files need no CMake edit.
function(tarnwick_glob out)
  file(GLOB_RECURSE _files CONFIGURE_DEPENDS ${ARGN})
  set(${out} ${_files} PARENT_SCOPE)
endfunction()

# A static library of the given sources; a library whose folder holds no source yet
# still builds, from one empty generated file, so that its users can link it.
function(tarnwick_static_library name)
  set(_sources ${ARGN})
  if(NOT _sources)
    set(_empty ${CMAKE_CURRENT_BINARY_DIR}/${name}_empty.cpp)
    file(WRITE ${_empty} "// no sources yet\n")
    set(_sources ${_empty})
  endif()
  add_library(${name} STATIC ${_sources})
endfunction()
