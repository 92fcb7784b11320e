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

# A GoogleTest executable registered with CTest. Tests are listed when ctest
# runs, so Qt test programs never start during the build.
function(orvane_add_test name)
  cmake_parse_arguments(ARG "QT" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  orvane_set_warnings(${name})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
  if(ARG_QT)
    target_sources(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/qt_test_main.cpp)
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} Qt6::Test GTest::gtest GTest::gmock)
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
