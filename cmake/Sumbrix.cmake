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
  if("Qt6::Widgets" IN_LIST ARG_LINKS)
    sumbrix_precompile(${name} widgets)
  elseif("Qt6::Gui" IN_LIST ARG_LINKS)
    sumbrix_precompile(${name} gui)
  else()
    sumbrix_precompile(${name} core)
  endif()
endfunction()

# sumbrix_precompile(TARGET core|gui|widgets)
# The Qt and standard headers most sources of a library of that kind read,
# compiled once for all the libraries of that kind (a QtCore-only library gets
# none of QtGui's).
function(sumbrix_precompile target kind)
  set(donor sumbrix_pch_${kind})
  if(NOT TARGET ${donor})
    set(core <QByteArray> <QFile> <QList> <QString> <QStringList>
             <algorithm> <cmath> <cstdint> <functional> <memory> <string> <vector>)
    set(gui ${core} <QColor> <QFont> <QImage> <QPainter>)
    set(widgets ${gui} <QAction> <QApplication> <QComboBox> <QHBoxLayout> <QKeyEvent>
                <QLabel> <QLineEdit> <QMenu> <QPushButton> <QToolButton> <QVBoxLayout> <QWidget>)
    set(qt_core Qt6::Core)
    set(qt_gui Qt6::Gui)
    set(qt_widgets Qt6::Widgets)
    set(src ${CMAKE_BINARY_DIR}/${donor}.cpp)
    if(NOT EXISTS ${src})
      file(WRITE ${src} "// The precompiled headers' own translation unit.\n")
    endif()
    add_library(${donor} STATIC ${src})
    set_target_properties(${donor} PROPERTIES AUTOMOC OFF)
    target_link_libraries(${donor} PRIVATE ${qt_${kind}})
    target_precompile_headers(${donor} PRIVATE ${${kind}})
  endif()
  target_precompile_headers(${target} REUSE_FROM ${donor})
endfunction()

# The environment of every test program besides its display platform: the
# fixtures' folder and a Spanish locale (QApplication hands it to the C
# library, which then writes "0,5"), so that the tests prove the program's
# numbers never go through the C locale.
set(SUMBRIX_TEST_ENVIRONMENT
    "LC_ALL=es_ES.UTF-8"
    "SUMBRIX_TEST_DATA=${PROJECT_SOURCE_DIR}/tests/data")

# sumbrix_tests(PREFIX [GUI|SCREEN] LINKS libs...)
# Every test_*.cpp in the current folder goes into one test program, PREFIX_tests,
# and one ctest entry of that name, labelled PREFIX (`ctest -L PREFIX` runs a
# folder's tests).
# GUI: the tests run inside a QApplication (offscreen).
# SCREEN: GUI tests that run on a real X server: there each test_*.cpp is a program
# of its own, PREFIX_<file>, run on an Xvfb of its own (tests/screen/on_xvfb.sh)
# with the xcb platform; their ctest label is also "screen".
# Each program is linked with the shared test support of its kind (tests/support),
# reads the precompiled headers of its kind (tests/pch_*.h), knows the programs'
# folder as SUMBRIX_BIN_DIR (compiled in, and in its environment), and runs its
# tests in a new random order every time (the seed is printed first;
# GTEST_RANDOM_SEED=n repeats an order), so no test can lean on what another one
# left behind.
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
  if(NOT tests)
    return()
  endif()
  set(environment "${SUMBRIX_TEST_ENVIRONMENT};SUMBRIX_BIN_DIR=${CMAKE_RUNTIME_OUTPUT_DIRECTORY}")
  if(ARG_SCREEN)
    foreach(src IN LISTS tests)
      get_filename_component(stem ${src} NAME_WE)
      set(target ${prefix}_${stem})
      _sumbrix_test_program(${target} ${main} ${support} "${ARG_LINKS}" ${src})
      add_test(NAME ${target}
               COMMAND ${PROJECT_SOURCE_DIR}/tests/screen/on_xvfb.sh $<TARGET_FILE:${target}> --gtest_shuffle)
      set_tests_properties(${target} PROPERTIES
        ENVIRONMENT "${environment}" LABELS "screen;${prefix}" TIMEOUT 600)
    endforeach()
  else()
    set(target ${prefix}_tests)
    _sumbrix_test_program(${target} ${main} ${support} "${ARG_LINKS}" ${tests})
    add_test(NAME ${target} COMMAND ${target} --gtest_shuffle)
    set_tests_properties(${target} PROPERTIES
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen;${environment}"
      LABELS "${prefix}" TIMEOUT 900)
  endif()
endfunction()

function(_sumbrix_test_program target main support links)
  add_executable(${target} ${ARGN})
  target_link_libraries(${target} PRIVATE ${links} ${support} ${main})
  target_compile_definitions(${target} PRIVATE SUMBRIX_BIN_DIR="${CMAKE_RUNTIME_OUTPUT_DIRECTORY}")
  target_precompile_headers(${target} REUSE_FROM ${main})
  add_dependencies(${target} sumbrix-data)
endfunction()

# sumbrix_xvfb_test(NAME PROGRAM FILTER)
# A widget test program's tests matching FILTER (a --gtest_filter) run again on
# a real X server (Xvfb), through the xcb platform.
function(sumbrix_xvfb_test name program filter)
  add_test(NAME ${name}
           COMMAND ${PROJECT_SOURCE_DIR}/tests/screen/on_xvfb.sh $<TARGET_FILE:${program}>
                   --gtest_shuffle --gtest_filter=${filter})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "${SUMBRIX_TEST_ENVIRONMENT};SUMBRIX_BIN_DIR=${CMAKE_RUNTIME_OUTPUT_DIRECTORY}"
    LABELS "screen" TIMEOUT 600)
endfunction()

# sumbrix_moc_where_needed(DIRECTORY)
# Every target defined in DIRECTORY and below runs moc only when one of its
# sources (or the header beside a source, which moc would read) declares a
# Q_OBJECT, Q_GADGET or Q_NAMESPACE. Elsewhere moc has nothing to do, yet its
# empty output would still be compiled with the target's precompiled headers:
# seven seconds of a loaded build for each test program.
function(sumbrix_moc_where_needed dir)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(t IN LISTS targets)
    get_target_property(automoc ${t} AUTOMOC)
    get_target_property(type ${t} TYPE)
    if(NOT automoc OR type STREQUAL "INTERFACE_LIBRARY")
      continue()
    endif()
    get_target_property(sources ${t} SOURCES)
    get_target_property(source_dir ${t} SOURCE_DIR)
    set(files)
    foreach(s IN LISTS sources)
      if(s MATCHES "^\\$<")
        continue()
      endif()
      if(NOT IS_ABSOLUTE "${s}")
        set(s "${source_dir}/${s}")
      endif()
      list(APPEND files "${s}")
      get_filename_component(folder "${s}" DIRECTORY)
      get_filename_component(stem "${s}" NAME_WE)
      list(APPEND files "${folder}/${stem}.h")
    endforeach()
    list(REMOVE_DUPLICATES files)
    set(needed FALSE)
    foreach(f IN LISTS files)
      if(EXISTS "${f}" AND NOT IS_DIRECTORY "${f}")
        file(STRINGS "${f}" hits REGEX "Q_OBJECT|Q_GADGET|Q_NAMESPACE" LIMIT_COUNT 1)
        if(hits)
          set(needed TRUE)
          break()
        endif()
      endif()
    endforeach()
    if(NOT needed)
      set_target_properties(${t} PROPERTIES AUTOMOC OFF)
    endif()
  endforeach()
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(d IN LISTS subdirs)
    sumbrix_moc_where_needed(${d})
  endforeach()
endfunction()
