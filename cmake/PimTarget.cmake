# Project-wide settings for our own targets only: third-party code is built
# without them.
function(pim_target_options target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
  # Creation records are filled with designated initializers that name only
  # what differs from the defaults; GCC 12 would report every omitted field.
  target_compile_options(${target} PRIVATE -Wno-missing-field-initializers)
  if(CMAKE_CXX_FLAGS MATCHES "-fsanitize" AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    # GCC's sanitizer instrumentation makes -Wmaybe-uninitialized report
    # standard-library internals (std::function inside std::regex); the
    # warning stays on in the other builds, where it is meaningful.
    target_compile_options(${target} PRIVATE -Wno-maybe-uninitialized)
  endif()
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
  if(WIN32)
    # Windows headers: ANSI API by default, no min/max macros, XP-era API level
    # is enough for everything the program calls.
    target_compile_definitions(${target} PUBLIC NOMINMAX WIN32_LEAN_AND_MEAN _WIN32_WINNT=0x0601)
    # A program downloaded from anywhere: stack guards and checked string
    # and memory calls (the top CMakeLists links the guard library).
    target_compile_options(${target} PRIVATE -fstack-protector-strong)
    target_compile_definitions(${target} PRIVATE _FORTIFY_SOURCE=2)
    # The release is the same byte for byte from any folder: names of
    # source and build files are written relative to them.
    target_compile_options(${target} PRIVATE
      -ffile-prefix-map=${PROJECT_SOURCE_DIR}/=
      -ffile-prefix-map=${CMAKE_BINARY_DIR}/=)
  endif()
endfunction()

# A static library of ours: pim_library(name SOURCES ... [LIBS ...])
function(pim_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  pim_target_options(${name})
  if(ARG_LIBS)
    target_link_libraries(${name} PUBLIC ${ARG_LIBS})
  endif()
endfunction()
