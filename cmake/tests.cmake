# Unit tests (GoogleTest, run under Wine through CMAKE_CROSSCOMPILING_EMULATOR) and end-to-end tests.
if(CMAKE_CROSSCOMPILING AND EXISTS /usr/src/googletest/CMakeLists.txt)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  set(VESSOP_GTEST gtest)
else()
  find_package(GTest REQUIRED)
  set(VESSOP_GTEST GTest::gtest)
endif()
include(GoogleTest)

file(GLOB VESSOP_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/*.cpp)
add_executable(vessop_tests ${VESSOP_TEST_SOURCES})
target_link_libraries(vessop_tests PRIVATE vessop_test_support vessop_app ${VESSOP_GTEST})
# The test code itself is built with less optimisation and line tables only: it builds in half the time,
# and a failure still shows file and line. The program's own code, in the libraries, is built as before.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  target_compile_options(vessop_tests PRIVATE -O1 -g1)
endif()
# Lets a test read the sources, e.g. to check every text the code asks for against the catalogue.
target_compile_definitions(vessop_tests PRIVATE VESSOP_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
# The resource test reads the built Vessop.exe, which lies beside the test binary.
if(TARGET Vessop)
  target_compile_definitions(vessop_tests PRIVATE VESSOP_EXE_NAME="$<TARGET_FILE_NAME:Vessop>")
  target_link_libraries(vessop_tests PRIVATE version)
  add_dependencies(vessop_tests Vessop)
endif()

# Under Wine an access violation can end a process with status 0: the test main prints one of these
# lines before terminating, and CTest fails the test on either of them.
set(VESSOP_CRASH_REGEX "Unhandled page fault|Unhandled exception")
# Under Wine, tests that draw need an X display, which the unit-test run does not have: they run
# together in DrawingWithDisplay, on a private Xvfb, and are not listed a second time (as skipped).
set(VESSOP_DISPLAY_TESTS "GfxDevice.*:MeasureText.*:MakeTextLayout.*:DrawOperations.*:MainView.*:PaintFrame.*")
set(VESSOP_DISCOVERY_FILTER "")
if(CMAKE_CROSSCOMPILING)
  set(VESSOP_DISCOVERY_FILTER TEST_FILTER "-${VESSOP_DISPLAY_TESTS}")
endif()
# The unit tests share the build folder's Wine prefix and its registry (several write HKCU\Software\Vessop):
# they run one at a time, beside the end-to-end tests, which have prefixes of their own.
set(VESSOP_SHARED_PREFIX_LOCK RESOURCE_LOCK build_wineprefix)
# One Wine process for all unit tests instead of one each (tests/unit_runner.py says how each is still
# reported, and run alone when it did not pass there): a Wine process costs about a second on a busy
# 2-core machine, the tests themselves milliseconds. VESSOP_UNIT_BATCH=0 runs each in its own process.
find_package(Python3 COMPONENTS Interpreter)
if(CMAKE_CROSSCOMPILING AND CMAKE_CROSSCOMPILING_EMULATOR AND Python3_Interpreter_FOUND)
  set_property(TARGET vessop_tests PROPERTY CROSSCOMPILING_EMULATOR
               ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/unit_runner.py "--batch-filter=-${VESSOP_DISPLAY_TESTS}"
               ${CMAKE_CROSSCOMPILING_EMULATOR})
endif()
# The environment every test of the program's own code runs in: Seoul's dates, UTF-8 output.
set(VESSOP_TEST_ENVIRONMENT "TZ=Asia/Seoul;LANG=C.UTF-8")
gtest_discover_tests(vessop_tests
  DISCOVERY_MODE PRE_TEST
  ${VESSOP_DISCOVERY_FILTER}
  DISCOVERY_TIMEOUT 120
  TEST_LIST vessop_unit_tests
  PROPERTIES
    ${VESSOP_SHARED_PREFIX_LOCK}
    FAIL_REGULAR_EXPRESSION "${VESSOP_CRASH_REGEX}")
# Properties whose value is a list cannot go through PROPERTIES above: the discovery script splits every
# value at its ';', so "TZ=...;LANG=..." would give ENVIRONMENT TZ only, and turn LANG and TIMEOUT into a
# property name and value of their own. A file CTest reads after the discovered tests sets them whole.
file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/vessop_unit_test_properties.cmake CONTENT
"set_tests_properties(\${vessop_unit_tests} PROPERTIES ENVIRONMENT \"${VESSOP_TEST_ENVIRONMENT}\" TIMEOUT 120)
")
set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${CMAKE_BINARY_DIR}/vessop_unit_test_properties.cmake)

if(CMAKE_CROSSCOMPILING)
  add_test(NAME DrawingWithDisplay
    COMMAND bash ${CMAKE_SOURCE_DIR}/tests/with_display.sh ${CMAKE_BINARY_DIR} ${CMAKE_SOURCE_DIR}/scripts/wine-run
            $<TARGET_FILE:vessop_tests>
            --gtest_filter=${VESSOP_DISPLAY_TESTS})
  set_tests_properties(DrawingWithDisplay PROPERTIES
    FAIL_REGULAR_EXPRESSION "${VESSOP_CRASH_REGEX}"
    ENVIRONMENT "${VESSOP_TEST_ENVIRONMENT}"
    TIMEOUT 300)
endif()

# A fixed-seed slice of the manifest fuzzer (bench/fuzz_manifest.cpp); the full run is done by hand.
if(TARGET bench_fuzz_manifest)
  add_test(NAME FuzzManifestSlice COMMAND bench_fuzz_manifest --seed 20240611 --count 5000)
  set_tests_properties(FuzzManifestSlice PROPERTIES FAIL_REGULAR_EXPRESSION "${VESSOP_CRASH_REGEX}" TIMEOUT 120
                       ENVIRONMENT "${VESSOP_TEST_ENVIRONMENT}"
                       ${VESSOP_SHARED_PREFIX_LOCK})
endif()

include(${CMAKE_SOURCE_DIR}/tests/e2e/e2e.cmake OPTIONAL)
include(${CMAKE_SOURCE_DIR}/tests/scanner_drives.cmake OPTIONAL)
include(${CMAKE_SOURCE_DIR}/tests/directory_fetch.cmake OPTIONAL)
include(${CMAKE_SOURCE_DIR}/cmake/fuzz.cmake)

# The programs bind at start-up no DLL that Windows would look for beside them.
find_program(VESSOP_OBJDUMP NAMES ${CMAKE_OBJDUMP} x86_64-w64-mingw32-objdump objdump)
if(MINGW AND Python3_Interpreter_FOUND AND VESSOP_OBJDUMP AND TARGET Vessop AND TARGET vessop-scan)
  add_test(NAME ImportTables.OnlyKnownDlls
           COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/import_tables.py ${VESSOP_OBJDUMP}
                   $<TARGET_FILE:Vessop> $<TARGET_FILE:vessop-scan>)
  set_tests_properties(ImportTables.OnlyKnownDlls PROPERTIES TIMEOUT 60 FAIL_REGULAR_EXPRESSION "FAIL:")
endif()

# What CTest really applies to the tests above (their environment and time limits), read back.
if(CMAKE_CROSSCOMPILING)
  if(Python3_Interpreter_FOUND)
    add_test(NAME CTestProperties.EnvironmentAndTimeouts
             COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/ctest_properties.py ${CMAKE_BINARY_DIR})
    set_tests_properties(CTestProperties.EnvironmentAndTimeouts PROPERTIES TIMEOUT 120 FAIL_REGULAR_EXPRESSION "FAIL:")
  endif()
endif()
