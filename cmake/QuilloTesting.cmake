# quillo_add_test(<name> SOURCES <files...> LIBS <targets...> [QT])
#
# One GoogleTest program per subsystem, run by CTest as one test.  Programs
# marked QT get the shared main of tests/support, which starts a QApplication
# on the offscreen platform and points every settings and data folder at a
# temporary directory; the others use GoogleTest's own main.
function(quillo_add_test name)
  cmake_parse_arguments(T "QT" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  if(T_QT)
    target_link_libraries(${name} PRIVATE quillo_test_support ${T_LIBS} GTest::gtest GTest::gmock)
  else()
    target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  endif()
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QUILLO_TEST_OUTPUT=${CMAKE_BINARY_DIR}/test-output"
    TIMEOUT 1500)
endfunction()
