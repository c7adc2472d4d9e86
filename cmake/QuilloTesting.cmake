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
  # The cases are listed when the tests run, not when they are built: a build
  # under the sanitizers never runs a test program.
  gtest_discover_tests(${name}
    TEST_PREFIX "${name}."
    TEST_LIST ${name}_TESTS
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 120)
  # gtest_discover_tests hands a list-valued property over item by item, each
  # item after the first taken for a property name of its own; so the
  # properties are set here, once the cases are known (this file is read
  # after the one that lists them).
  set(labels ${name} ${T_LABELS})
  set(properties "${CMAKE_CURRENT_BINARY_DIR}/${name}_properties.cmake")
  file(WRITE "${properties}" "foreach(test IN LISTS ${name}_TESTS)
  set_tests_properties(\"\${test}\" PROPERTIES
    ENVIRONMENT \"QT_QPA_PLATFORM=offscreen;QUILLO_TEST_OUTPUT=${CMAKE_BINARY_DIR}/test-output\"
    TIMEOUT 1500
    LABELS \"${labels}\")
endforeach()
")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES "${properties}")
endfunction()
