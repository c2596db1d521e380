# orv_add_gtest(<name> SOURCES ... [LIBS ...] [QT] [XVFB])
#   QT    the test needs a QApplication (offscreen unless a display is given)
#   XVFB  the test needs a real X server: it runs as one ctest entry under xvfb-run
# Every test links the shared test support (tests/support): the plain one, or with QT/XVFB the
# one with the widget seams and the stand-in fixture.
function(orv_add_gtest name)
  cmake_parse_arguments(T "QT;XVFB" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  set_target_properties(${name} PROPERTIES AUTOMOC ON)
  target_compile_options(${name} PRIVATE ${ORV_WARNINGS})
  if(T_QT OR T_XVFB)
    target_link_libraries(${name} PRIVATE orv_testmain_qt orv_testsupport_qt)
  else()
    target_link_libraries(${name} PRIVATE orv_testmain orv_testsupport)
  endif()
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock)
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  if(T_XVFB)
    add_test(NAME ${name}
             COMMAND xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" $<TARGET_FILE:${name}>)
    set_tests_properties(${name} PROPERTIES LABELS xvfb TIMEOUT ${T_TIMEOUT} ENVIRONMENT QT_QPA_PLATFORM=xcb)
  else()
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120 NO_PRETTY_VALUES
                         PROPERTIES TIMEOUT ${T_TIMEOUT})
  endif()
endfunction()
