# Test helpers: every test executable is one CTest test with a label saying what
# it needs: "unit" (nothing), "gui" (a display: an Xvfb server of its own),
# "server" (the PostgreSQL and MariaDB servers on loopback), or both of the last
# two (kind "server_gui", labels "server" and "gui").
#
#   veldrix_add_test(NAME db_connection_string KIND unit
#                    SOURCES connection_string_test.cpp LIBS veldrix_db)
#
# Sanitizer builds (VELDRIX_SANITIZE) build and run the unit and GUI tests; the
# server tests run in the main build only.

find_package(GTest REQUIRED)
set_property(GLOBAL PROPERTY VELDRIX_UNIT_TEST_TARGETS "")
set_property(GLOBAL PROPERTY VELDRIX_GUI_TEST_TARGETS "")

function(veldrix_add_test)
  cmake_parse_arguments(T "" "NAME;KIND;TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(NOT T_KIND)
    set(T_KIND unit)
  endif()
  if(VELDRIX_SANITIZE AND T_KIND MATCHES "server")
    return()
  endif()
  add_executable(${T_NAME} ${T_SOURCES})
  set_target_properties(${T_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/tests/bin")
  # A hundred test executables each carry the libraries they link: they are linked
  # without position-independent relocations, and outside Debug and sanitizer
  # builds without debug sections (a failing test reports its own file and line).
  target_link_options(${T_NAME} PRIVATE -no-pie)
  if(NOT VELDRIX_SANITIZE AND NOT CMAKE_BUILD_TYPE STREQUAL "Debug")
    target_link_options(${T_NAME} PRIVATE -Wl,--strip-debug)
  endif()
  if(T_KIND MATCHES "gui")
    target_link_libraries(${T_NAME} PRIVATE veldrix_test_gui_main ${T_LIBS})
    add_test(NAME ${T_NAME}
             COMMAND ${CMAKE_SOURCE_DIR}/tests/support/run-gui.sh $<TARGET_FILE:${T_NAME}>)
  else()
    target_link_libraries(${T_NAME} PRIVATE veldrix_test_main ${T_LIBS})
    add_test(NAME ${T_NAME} COMMAND ${T_NAME})
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 600)
  endif()
  string(REPLACE "_" ";" labels ${T_KIND})
  set_tests_properties(${T_NAME} PROPERTIES
    LABELS "${labels}"
    TIMEOUT ${T_TIMEOUT}
    ENVIRONMENT "VELDRIX_TEST_SOURCE_DIR=${CMAKE_SOURCE_DIR};VELDRIX_TEST_OUTPUT_DIR=${VELDRIX_OUTPUT_DIR};VELDRIX_TEST_ARTIFACTS=${CMAKE_BINARY_DIR}/test-artifacts;ASAN_OPTIONS=detect_leaks=1:abort_on_error=0;LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/support/lsan.supp;UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1")
  if(T_KIND STREQUAL "unit")
    set_property(GLOBAL APPEND PROPERTY VELDRIX_UNIT_TEST_TARGETS ${T_NAME})
  elseif(T_KIND STREQUAL "gui")
    set_property(GLOBAL APPEND PROPERTY VELDRIX_GUI_TEST_TARGETS ${T_NAME})
  endif()
endfunction()

# Called once at the end of the tree: "unit_tests" builds every unit test,
# "gui_tests" every GUI test.
function(veldrix_finish_tests)
  foreach(kind unit gui)
    string(TOUPPER ${kind} upper)
    get_property(targets GLOBAL PROPERTY VELDRIX_${upper}_TEST_TARGETS)
    add_custom_target(${kind}_tests)
    if(targets)
      add_dependencies(${kind}_tests ${targets})
    endif()
  endforeach()
endfunction()

# Adds every *_test.cpp of the calling folder as its own test executable, named
# <prefix>_<file name>: *_gui_test.cpp are GUI tests, *_server_test.cpp server
# tests, *_server_gui_test.cpp both, the others unit tests. LIBS are linked into each.
function(veldrix_add_folder_tests prefix)
  cmake_parse_arguments(F "" "" "LIBS" ${ARGN})
  file(GLOB files CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp)
  foreach(file IN LISTS files)
    get_filename_component(stem ${file} NAME_WE)
    if(stem MATCHES "_server_gui_test$")
      set(kind server_gui)
    elseif(stem MATCHES "_gui_test$")
      set(kind gui)
    elseif(stem MATCHES "_server_test$")
      set(kind server)
    else()
      set(kind unit)
    endif()
    veldrix_add_test(NAME ${prefix}_${stem} KIND ${kind} SOURCES ${file} LIBS ${F_LIBS})
  endforeach()
endfunction()
