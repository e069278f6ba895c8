# sumbrix_areas(PREFIX)
# Every subfolder <x> of the current folder (tools/ or science/) is one area:
#   <x>/*.cpp, *.h     its computing library sumbrix_<PREFIX>_<x>: foundation
#                      and engine, QtCore only (headless tests and sumbrix-eval
#                      use it; the computing libraries may use each other's
#                      code, named in <x>/links.cmake as `set(area_links ...)`)
#   <x>/window/        its window library sumbrix_<PREFIX>_<x>_window, over the
#                      services and the computing library
# The names go into the global properties SUMBRIX_COMPUTING_LIBRARIES and
# SUMBRIX_WINDOW_LIBRARIES, which the driver and the shell link.
#
# Registration, called by name (no static initialisers, which a static library
# would drop):
#   <x>/directives.cpp           defines void RegisterDirectives_<PREFIX>_<x>(),
#                                which adds the area's sumbrix-eval lines
#                                (foundation/core/directives.h)
#   <x>/window/registration.cpp  defines void RegisterWindow_<PREFIX>_<x>(), which
#                                adds the area's tool windows, settings parts
#                                and start steps to MainExtensions()
# sumbrix_registrars(PROPERTY FUNCTION OUT) writes a source defining
# void FUNCTION() that calls every registrar of that property.
function(sumbrix_areas prefix)
  file(GLOB children LIST_DIRECTORIES true ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT children)
  foreach(dir IN LISTS children)
    if(NOT IS_DIRECTORY ${dir})
      continue()
    endif()
    get_filename_component(area ${dir} NAME)
    # A developer's build may leave areas out (-DSUMBRIX_SKIP_AREAS=a;b).
    if(area IN_LIST SUMBRIX_SKIP_AREAS)
      continue()
    endif()
    set(lib sumbrix_${prefix}_${area})
    file(GLOB computing CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.h)
    set(area_links)
    if(EXISTS ${dir}/links.cmake)
      include(${dir}/links.cmake)
    endif()
    if(computing)
      add_library(${lib} STATIC ${computing})
      target_include_directories(${lib} PUBLIC ${PROJECT_SOURCE_DIR})
      target_link_libraries(${lib} PUBLIC sumbrix_engine sumbrix_foundation Qt6::Core ${area_links})
      sumbrix_precompile(${lib} core)
      set_property(GLOBAL APPEND PROPERTY SUMBRIX_COMPUTING_LIBRARIES ${lib})
      if(EXISTS ${dir}/directives.cpp)
        set_property(GLOBAL APPEND PROPERTY SUMBRIX_DIRECTIVE_REGISTRARS RegisterDirectives_${prefix}_${area})
      endif()
    endif()
    file(GLOB window CONFIGURE_DEPENDS ${dir}/window/*.cpp ${dir}/window/*.h)
    if(window)
      add_library(${lib}_window STATIC ${window})
      target_include_directories(${lib}_window PUBLIC ${PROJECT_SOURCE_DIR})
      target_link_libraries(${lib}_window PUBLIC sumbrix_services Qt6::Widgets)
      sumbrix_precompile(${lib}_window widgets)
      if(computing)
        target_link_libraries(${lib}_window PUBLIC ${lib})
      endif()
      set_property(GLOBAL APPEND PROPERTY SUMBRIX_WINDOW_LIBRARIES ${lib}_window)
      if(EXISTS ${dir}/window/registration.cpp)
        set_property(GLOBAL APPEND PROPERTY SUMBRIX_WINDOW_REGISTRARS RegisterWindow_${prefix}_${area})
      endif()
    endif()
  endforeach()
endfunction()

function(sumbrix_registrars property function out)
  get_property(registrars GLOBAL PROPERTY ${property})
  set(text "// Made by cmake/ToolAreas.cmake: calls every area's registration.\n")
  foreach(r IN LISTS registrars)
    string(APPEND text "void ${r}();\n")
  endforeach()
  string(APPEND text "void ${function}()\n{\n")
  foreach(r IN LISTS registrars)
    string(APPEND text "    ${r}();\n")
  endforeach()
  string(APPEND text "}\n")
  set(file ${CMAKE_CURRENT_BINARY_DIR}/${function}.cpp)
  file(CONFIGURE OUTPUT ${file} CONTENT "${text}" @ONLY)
  set(${out} ${file} PARENT_SCOPE)
endfunction()
