# Helpers that keep every folder's CMakeLists to one line of intent.

# gate_library(<name> [DEPS <targets>...] [REGISTERS])
# One static library from every .cpp in the calling folder. DEPS are the
# libraries below it in the dependency order (public, so users see them too).
# REGISTERS: the folder's objects register themselves during static
# initialisation (row classes, GATE_REGISTER_ENTITY), so every program that
# links the library gets all of them, named or not: <name> is then an
# interface target that links the archive <name>_objects whole.
function(gate_library name)
  cmake_parse_arguments(ARG "REGISTERS" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*.cpp")
  set(archive ${name})
  if(ARG_REGISTERS)
    set(archive ${name}_objects)
  endif()
  add_library(${archive} STATIC ${sources})
  target_include_directories(${archive} PUBLIC "${PROJECT_SOURCE_DIR}/src")
  target_link_libraries(${archive} PUBLIC ${ARG_DEPS} Threads::Threads)
  if(ARG_REGISTERS)
    add_library(${name} INTERFACE)
    target_link_libraries(${name} INTERFACE "$<LINK_LIBRARY:WHOLE_ARCHIVE,${archive}>")
  endif()
endfunction()

# gate_test_suite(<name> [LIBS <targets>...] [LABEL <label>] [ENV <k=v>] [MAIN])
# One test program from every *_test.cpp in the calling folder, each case a
# CTest test. Without MAIN it links gtest_main; with MAIN the folder brings
# its own main(). Tests are listed when CTest runs, under the sanitizer
# settings of the test command.
function(gate_test_suite name)
  cmake_parse_arguments(ARG "MAIN" "LABEL;ENV" "LIBS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*.cpp")
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} gate_testsupport GTest::gtest GTest::gmock)
  # The test framework's headers are parsed once per suite, not once per file.
  target_precompile_headers(${name} PRIVATE <gtest/gtest.h> <gmock/gmock.h> <string> <vector> <memory>)
  if(NOT ARG_MAIN)
    target_link_libraries(${name} PRIVATE GTest::gtest_main)
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS "${ARG_LABEL}" ENVIRONMENT "${ARG_ENV}" TIMEOUT 300)
endfunction()
