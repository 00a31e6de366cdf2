# Shared settings for the project's own targets and the one helper that
# registers a test file.

function(brevaro_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic
                                           -Wno-address-of-packed-member)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(${target} PRIVATE -Wshadow=local)
  endif()
  if(BREVARO_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# Release builds optimise the two programs, brevaro and brevaro-pgn, across
# files at link time (GCC). The layers are compiled for it and keep normal
# code in their objects as well, so the test programs link them without it.
set(BREVARO_LTO OFF)
if(CMAKE_BUILD_TYPE STREQUAL "Release" AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  include(CheckIPOSupported)
  check_ipo_supported(RESULT BREVARO_LTO LANGUAGES CXX)
endif()

# brevaro_lto(<program>): linked with link-time optimisation where it is on.
function(brevaro_lto target)
  if(BREVARO_LTO)
    set_target_properties(${target} PROPERTIES INTERPROCEDURAL_OPTIMIZATION ON)
  endif()
endfunction()

function(brevaro_lto_layer target)
  if(BREVARO_LTO)
    set_target_properties(${target} PROPERTIES INTERPROCEDURAL_OPTIMIZATION ON)
    target_compile_options(${target} PRIVATE -ffat-lto-objects)
  endif()
endfunction()

# brevaro_add_test(<file> LIBS <targets...> [QT])
# Registers tests/<layer>/<unit>_test.cpp as a test called <layer>_<unit>.
# Plain tests link GoogleTest's main; QT tests are QtTest programs that
# supply their own main (QTEST_MAIN) and run on the offscreen platform.
function(brevaro_add_test file)
  cmake_parse_arguments(ARG "QT" "" "LIBS" ${ARGN})
  get_filename_component(unit ${file} NAME_WE)
  get_filename_component(dir ${file} DIRECTORY)
  get_filename_component(layer ${dir} NAME)
  set(name ${layer}_${unit})
  add_executable(${name} ${file})
  brevaro_warnings(${name})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS})
  target_compile_definitions(${name} PRIVATE
    BREVARO_TEST_DATA="${PROJECT_SOURCE_DIR}/tests/data"
    BREVARO_SAMPLES="${PROJECT_SOURCE_DIR}/samples")
  if(ARG_QT)
    set_target_properties(${name} PROPERTIES AUTOMOC ON)
    target_link_libraries(${name} PRIVATE Qt6::Test)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
  else()
    target_link_libraries(${name} PRIVATE GTest::gtest_main)
    add_test(NAME ${name} COMMAND ${name})
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT 300)
endfunction()
