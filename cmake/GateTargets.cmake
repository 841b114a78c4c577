# Helpers that keep every folder's CMakeLists to one line of intent.

find_program(GATE_PYTHON python3 REQUIRED)

# gate_unity_sources(<target>)
# Compiles <target>'s sources in unity files of up to 16 sources when
# GATE_UNITY_BUILD is on. In every configuration, unity or not, the target
# first runs cmake/check_unity_names.py over all its sources (also those added
# after this call): two sources that declare the same file-local name, leave
# the same macro defined or write `using namespace` at file scope stop the
# build with both places named, since in a unity file the later source would
# see the earlier one's and could silently call another overload.
function(gate_unity_sources target)
  set_target_properties(${target} PROPERTIES UNITY_BUILD ${GATE_UNITY_BUILD} UNITY_BUILD_BATCH_SIZE 16)
  set(stamp "${CMAKE_CURRENT_BINARY_DIR}/${target}.unity-names")
  # The sources of the folder: generated ones (Qt's moc output) are not checked.
  set(sources "$<FILTER:$<FILTER:$<TARGET_PROPERTY:${target},SOURCES>,INCLUDE,\\.cpp$>,EXCLUDE,_autogen/>")
  add_custom_command(OUTPUT "${stamp}"
    COMMAND "${GATE_PYTHON}" "${PROJECT_SOURCE_DIR}/cmake/check_unity_names.py" "${stamp}" "${sources}"
    DEPENDS "${PROJECT_SOURCE_DIR}/cmake/check_unity_names.py" "${sources}"
    COMMENT "Checking that the sources of ${target} may share unity files"
    COMMAND_EXPAND_LISTS VERBATIM)
  add_custom_target(${target}_unity_names DEPENDS "${stamp}")
  add_dependencies(${target} ${target}_unity_names)
endfunction()

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
  gate_unity_sources(${archive})
  target_include_directories(${archive} PUBLIC "${PROJECT_SOURCE_DIR}/src")
  target_link_libraries(${archive} PUBLIC ${ARG_DEPS} Threads::Threads)
  if(ARG_REGISTERS)
    add_library(${name} INTERFACE)
    target_link_libraries(${name} INTERFACE "$<LINK_LIBRARY:WHOLE_ARCHIVE,${archive}>")
  endif()
endfunction()

# gate_test_suite(<name> [LIBS <targets>...] [LABEL <label>] [ENV <k=v>] [MAIN])
# One test program from every *_test.cpp in the calling folder, each case a
# CTest test, its sources in unity files as a library's are. Without MAIN it
# links gtest_main; with MAIN the folder brings its own main(). Tests are
# listed when CTest runs, under the sanitizer settings of the test command.
function(gate_test_suite name)
  cmake_parse_arguments(ARG "MAIN" "LABEL;ENV" "LIBS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*.cpp")
  add_executable(${name} ${sources})
  gate_unity_sources(${name})
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

# gate_fuzz_replay(<fuzz target> LIBS <targets>... LABEL <label>)
# A test that runs the entry point of fuzz/<fuzz target>.cpp once over every
# file of its seed corpus fuzz/corpus/<fuzz target>/, under this build's
# sanitizers, without libFuzzer. Not in the ThreadSanitizer build: a replay
# runs on one thread, so there is nothing for it to find there.
function(gate_fuzz_replay target)
  cmake_parse_arguments(ARG "" "LABEL" "LIBS" ${ARGN})
  if(GATE_SANITIZE STREQUAL "thread")
    return()
  endif()
  add_executable(${target}_replay "${PROJECT_SOURCE_DIR}/fuzz/${target}.cpp" "${PROJECT_SOURCE_DIR}/fuzz/replay_main.cpp")
  target_link_libraries(${target}_replay PRIVATE ${ARG_LIBS})
  add_test(NAME ${target}_replay COMMAND ${target}_replay "${PROJECT_SOURCE_DIR}/fuzz/corpus/${target}")
  set_tests_properties(${target}_replay PROPERTIES LABELS "${ARG_LABEL}" TIMEOUT 300)
endfunction()
