# quillo_add_test(<name> SOURCES <files...> LIBS <targets...> [QT] [LABELS <labels...>])
#
# One GoogleTest program per subsystem; CTest sees each of its cases as a test
# of its own, named <name>.<Suite>.<Case>, so that one case can be run by name
# (ctest -R) and a failure names its case.  Programs marked QT get the shared
# main of tests/support, which starts a QApplication on the offscreen platform
# and points every settings and data folder at a temporary directory; the
# others use GoogleTest's own main.  Every case is labelled with the program's
# name and any LABELS given (ctest -L fault runs the fault-injection cases).
include(GoogleTest)

function(quillo_add_test name)
  cmake_parse_arguments(T "QT" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  if(T_QT)
    target_link_libraries(${name} PRIVATE quillo_test_support ${T_LIBS} GTest::gtest GTest::gmock)
  else()
    target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  endif()
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
  set(labels ${name} ${T_LABELS})
  # The cases are listed when the tests run, not when they are built: a build
  # under the sanitizers never runs a test program.
  gtest_discover_tests(${name}
    TEST_PREFIX "${name}."
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 120
    PROPERTIES
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QUILLO_TEST_OUTPUT=${CMAKE_BINARY_DIR}/test-output"
      TIMEOUT 1500
      LABELS "${labels}")
endfunction()
