# Imported targets for the system libraries, so each subsystem names what it uses.
find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)

find_program(WX_CONFIG NAMES wx-config REQUIRED)
function(_veldrix_wx_config out)
  execute_process(COMMAND ${WX_CONFIG} ${ARGN} OUTPUT_VARIABLE text OUTPUT_STRIP_TRAILING_WHITESPACE
                  RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "wx-config ${ARGN} failed")
  endif()
  separate_arguments(text UNIX_COMMAND "${text}")
  set(${out} ${text} PARENT_SCOPE)
endfunction()
_veldrix_wx_config(WX_CXXFLAGS --cxxflags)
_veldrix_wx_config(WX_BASE_LIBS --libs base)
_veldrix_wx_config(WX_GUI_LIBS --libs std,aui,xrc,propgrid,stc,html,net)

# wxWidgets base (strings, files, threads, configuration): for the non-GUI layers.
add_library(veldrix_wxbase INTERFACE)
target_compile_options(veldrix_wxbase INTERFACE ${WX_CXXFLAGS})
# _() comes from app/common/i18n.h, which decodes literals as UTF-8.
target_compile_definitions(veldrix_wxbase INTERFACE WXINTL_NO_GETTEXT_MACRO)
target_link_libraries(veldrix_wxbase INTERFACE ${WX_BASE_LIBS})

# wxWidgets with the GUI libraries the program uses.
add_library(veldrix_wxgui INTERFACE)
target_compile_options(veldrix_wxgui INTERFACE ${WX_CXXFLAGS})
target_compile_definitions(veldrix_wxgui INTERFACE WXINTL_NO_GETTEXT_MACRO)
target_link_libraries(veldrix_wxgui INTERFACE ${WX_GUI_LIBS})

pkg_check_modules(SQLITE3 REQUIRED IMPORTED_TARGET sqlite3)
pkg_check_modules(WXSQLITE3 REQUIRED IMPORTED_TARGET wxsqlite3-3.2)
pkg_check_modules(MARIADB REQUIRED IMPORTED_TARGET libmariadb)
pkg_check_modules(OPENSSL REQUIRED IMPORTED_TARGET openssl)
pkg_check_modules(CURL REQUIRED IMPORTED_TARGET libcurl)
# Where a text may be broken without splitting a character (the store cards' wrapping).
pkg_check_modules(ICU_UC REQUIRED IMPORTED_TARGET icu-uc)

find_library(SYBDB_LIBRARY NAMES sybdb REQUIRED)
find_path(SYBDB_INCLUDE_DIR NAMES sybdb.h REQUIRED)
add_library(veldrix_freetds INTERFACE)
target_include_directories(veldrix_freetds SYSTEM INTERFACE ${SYBDB_INCLUDE_DIR})
target_link_libraries(veldrix_freetds INTERFACE ${SYBDB_LIBRARY})

find_package(nlohmann_json 3 REQUIRED)
