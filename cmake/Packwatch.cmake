# Shared build settings for Packwatch targets.

if(PACKWATCH_SANITIZE STREQUAL "address")
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
elseif(PACKWATCH_SANITIZE STREQUAL "thread")
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
elseif(NOT PACKWATCH_SANITIZE STREQUAL "")
  message(FATAL_ERROR "PACKWATCH_SANITIZE must be empty, 'address' or 'thread'")
endif()

# Our own code builds with warnings as errors.
function(packwatch_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
    -Wno-sign-conversion -Werror)
endfunction()

# A library loaded by file name at run time: exact file name, every symbol resolved at link time.
function(packwatch_runtime_library target file_name)
  set_target_properties(${target} PROPERTIES PREFIX "" OUTPUT_NAME ${file_name} SUFFIX ""
    LIBRARY_OUTPUT_DIRECTORY ${PACKWATCH_BIN_DIR})
  target_link_options(${target} PRIVATE -Wl,-z,defs)
endfunction()

# A GoogleTest executable registered with CTest.
function(packwatch_test target)
  add_executable(${target} ${ARGN})
  packwatch_warnings(${target})
  target_link_libraries(${target} PRIVATE GTest::gtest GTest::gtest_main GTest::gmock)
  target_compile_definitions(${target} PRIVATE PACKWATCH_BIN_DIR="${PACKWATCH_BIN_DIR}")
  gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST
    PROPERTIES ENVIRONMENT "TSAN_OPTIONS=ignore_noninstrumented_modules=1")
endfunction()
