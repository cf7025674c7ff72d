# The project's warning flags on one target; with TARNWICK_WERROR a warning fails the build.
function(tarnwick_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic
    -Wshadow -Wnon-virtual-dtor -Wold-style-cast)
  if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    # Converters hold the logger and the output they are built with, as every
    # converter does, whether or not their present conversions write to them.
    target_compile_options(${target} PRIVATE -Wno-unused-private-field)
  endif()
  if((TARNWICK_SANITIZE OR TARNWICK_FUZZ) AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    # The instrumentation hides from GCC that optional and function objects are
    # set before use: its maybe-uninitialized warnings are false in this build only.
    target_compile_options(${target} PRIVATE -Wno-maybe-uninitialized)
  endif()
  if(TARNWICK_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

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
  tarnwick_warnings(${name})
endfunction()

# An executable of the given sources with the project's warning flags.
function(tarnwick_executable name)
  add_executable(${name} ${ARGN})
  tarnwick_warnings(${name})
endfunction()
