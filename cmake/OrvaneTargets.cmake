# Project-wide target helpers: one place for warnings and sanitizers.

function(orvane_set_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
endfunction()

macro(orvane_apply_sanitizer)
  if(ORVANE_SANITIZER STREQUAL "address")
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
  elseif(ORVANE_SANITIZER STREQUAL "thread")
    add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
    add_link_options(-fsanitize=thread)
  elseif(NOT ORVANE_SANITIZER STREQUAL "")
    message(FATAL_ERROR "ORVANE_SANITIZER must be empty, address or thread")
  endif()
endmacro()

# A fuzz build instruments everything it compiles for coverage, AddressSanitizer
# and UndefinedBehaviorSanitizer; the fuzz executables add libFuzzer itself
# (fuzz/CMakeLists.txt). An undefined-behaviour report aborts, so that the
# fuzzer sees it as a crash.
macro(orvane_apply_fuzz_instrumentation)
  if(ORVANE_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
      message(FATAL_ERROR "ORVANE_FUZZ needs clang: configure with -DCMAKE_CXX_COMPILER=clang++")
    endif()
    if(NOT ORVANE_SANITIZER STREQUAL "")
      message(FATAL_ERROR "ORVANE_FUZZ brings its own sanitizers: leave ORVANE_SANITIZER empty")
    endif()
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined
                        -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
  endif()
endmacro()

# A GoogleTest executable registered with CTest. Tests are listed when ctest
# runs, so Qt test programs never start during the build.
function(orvane_add_test name)
  cmake_parse_arguments(ARG "QT" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  orvane_set_warnings(${name})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
  # No test declares a Qt object of its own: skip the meta-object scan.
  set_target_properties(${name} PROPERTIES AUTOMOC OFF)
  if(ARG_QT)
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} orvane_qt_test_main Qt6::Test GTest::gtest GTest::gmock)
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
      PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
  else()
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60)
  endif()
endfunction()

# Copies the help file beside target's executable after every build, so that
# the program (and a test) finds it in its own folder.
function(orvane_install_help target)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E copy_if_different
            ${PROJECT_SOURCE_DIR}/docs/ORVANE.hlp
            $<TARGET_FILE_DIR:${target}>/ORVANE.hlp
    VERBATIM)
endfunction()

# Gives an executable the program's version record (a section of its own
# read back by the about box), built from the project's version numbers.
# The record source is compiled into the executable itself, not through a
# static library, so that the linker cannot drop it.
function(orvane_add_version_record target)
  foreach(part MAJOR MINOR PATCH TWEAK)
    set(value "${PROJECT_VERSION_${part}}")
    if(value STREQUAL "")
      set(value 0)
    endif()
    list(APPEND definitions ORVANE_VERSION_${part}=${value})
  endforeach()
  target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/app/version_record.cpp)
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR})
  target_compile_definitions(${target} PRIVATE ${definitions})
endfunction()
