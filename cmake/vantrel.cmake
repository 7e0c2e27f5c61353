# Helpers that keep every library's build description to one line.

# maybe-uninitialized stays a warning: g++ 12 reports false positives on
# std::optional at -O3.
set(VANTREL_WARNINGS -Wall -Wextra -Werror -Wno-error=maybe-uninitialized)

# vantrel_layer(NAME DIRS dir... DEPS dep...): a static library from the .cc
# files directly in each src/<dir>. The layer order is enforced by listing
# only earlier libraries in DEPS.
function(vantrel_layer name)
  cmake_parse_arguments(ARG "" "" "DIRS;DEPS" ${ARGN})
  set(sources "")
  foreach(dir ${ARG_DIRS})
    file(GLOB found CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/src/${dir}/*.cc")
    list(APPEND sources ${found})
  endforeach()
  if(NOT sources)
    # A library whose code has not landed yet is an interface library so
    # that later layers can already name it.
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE "${CMAKE_SOURCE_DIR}/src")
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
    return()
  endif()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC "${CMAKE_SOURCE_DIR}/src")
  target_compile_options(${name} PRIVATE ${VANTREL_WARNINGS})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
endfunction()

# vantrel_tests(NAME DIR DEPS...): one GoogleTest binary from the .cc files
# directly in tests/DIR, registered with CTest.
function(vantrel_tests name dir)
  file(GLOB sources CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/tests/${dir}/*.cc")
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_include_directories(${name} PRIVATE "${CMAKE_SOURCE_DIR}/tests")
  target_compile_options(${name} PRIVATE ${VANTREL_WARNINGS})
  target_compile_definitions(${name} PRIVATE
    VANTREL_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
    VANTREL_BINARY_DIR="${CMAKE_BINARY_DIR}")
  target_link_libraries(${name} PRIVATE ${ARGN} GTest::gmock_main)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "VANTREL_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
endfunction()
