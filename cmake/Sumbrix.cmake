# sumbrix_library(NAME [GLOBS patterns...] [RECURSE_OFF] [EXCLUDE folders...] [LINKS libs...])
# One library per folder: every file matching GLOBS (default *.cpp *.h) in the current
# folder and, unless RECURSE_OFF, below it (but the folders named in EXCLUDE) is part of it.
function(sumbrix_library name)
  cmake_parse_arguments(ARG "RECURSE_OFF" "" "LINKS;EXCLUDE;GLOBS" ${ARGN})
  if(NOT ARG_GLOBS)
    set(ARG_GLOBS *.cpp *.h)
  endif()
  set(patterns)
  foreach(g IN LISTS ARG_GLOBS)
    list(APPEND patterns ${CMAKE_CURRENT_SOURCE_DIR}/${g})
  endforeach()
  if(ARG_RECURSE_OFF)
    file(GLOB sources CONFIGURE_DEPENDS ${patterns})
  else()
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${patterns})
  endif()
  foreach(ex IN LISTS ARG_EXCLUDE)
    list(FILTER sources EXCLUDE REGEX "/${ex}/")
  endforeach()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_LINKS})
endfunction()

# The environment of every test program besides its display platform: the
# fixtures' folder and a Spanish locale (QApplication hands it to the C
# library, which then writes "0,5"), so that the tests prove the program's
# numbers never go through the C locale.
set(SUMBRIX_TEST_ENVIRONMENT
    "LC_ALL=es_ES.UTF-8"
    "SUMBRIX_TEST_DATA=${PROJECT_SOURCE_DIR}/tests/data")

# sumbrix_tests(PREFIX LINKS libs...)
# GUI: the tests run inside a QApplication (offscreen).
# SCREEN: GUI tests that run on a real X server: each program gets an Xvfb of its
# own (tests/screen/on_xvfb.sh) and the xcb platform; their ctest label is "screen".
# Each test_*.cpp in the current folder becomes one test program and one ctest entry.
# Each program is linked with the shared test support of its kind (tests/support)
# and runs its tests in a new random order every time (the seed is printed
# first; GTEST_RANDOM_SEED=n repeats an order), so no test can lean on what
# another one left behind.
function(sumbrix_tests prefix)
  cmake_parse_arguments(ARG "GUI;SCREEN" "" "LINKS" ${ARGN})
  if(ARG_SCREEN)
    set(ARG_GUI TRUE)
  endif()
  set(main sumbrix_testmain)
  set(support sumbrix_testsupport)
  if(ARG_GUI)
    set(main sumbrix_testmain_gui)
    set(support sumbrix_testsupport_gui)
  endif()
  file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/test_*.cpp)
  foreach(src IN LISTS tests)
    get_filename_component(stem ${src} NAME_WE)
    set(target ${prefix}_${stem})
    add_executable(${target} ${src})
    target_link_libraries(${target} PRIVATE ${ARG_LINKS} ${support} ${main})
    if(ARG_SCREEN)
      add_test(NAME ${target}
               COMMAND ${PROJECT_SOURCE_DIR}/tests/screen/on_xvfb.sh $<TARGET_FILE:${target}> --gtest_shuffle)
      set_tests_properties(${target} PROPERTIES
        ENVIRONMENT "${SUMBRIX_TEST_ENVIRONMENT};SUMBRIX_BIN_DIR=${CMAKE_RUNTIME_OUTPUT_DIRECTORY}"
        LABELS "screen;${prefix}" TIMEOUT 600)
    else()
      add_test(NAME ${target} COMMAND ${target} --gtest_shuffle)
      set_tests_properties(${target} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;${SUMBRIX_TEST_ENVIRONMENT}"
        LABELS "${prefix}" TIMEOUT 600)
    endif()
  endforeach()
endfunction()
