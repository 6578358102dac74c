# The fuzz configuration (-DKORVANE_FUZZ=ON, clang only). Included before the
# libraries are added, so that every library of ours, not only the one a
# target names, is built with coverage feedback, AddressSanitizer and
# UndefinedBehaviorSanitizer: the GIF, region, BMP and JPEG code a target
# reaches through gui/ is checked as closely as the target's own code.
if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  message(FATAL_ERROR "KORVANE_FUZZ needs clang (CC=clang CXX=clang++)")
endif()
add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
                    -fno-sanitize-recover=undefined)
add_link_options(-fsanitize=address,undefined)

# A libFuzzer executable: korvane_fuzz_target(name SOURCES ... LIBS ...).
# Every target gets the common start-up (headless platform, leak
# suppressions) from fuzz/FuzzSetup.cpp.
function(korvane_fuzz_target name)
  cmake_parse_arguments(F "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${F_SOURCES} ${PROJECT_SOURCE_DIR}/fuzz/FuzzSetup.cpp)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_libraries(${name} PRIVATE ${F_LIBS})
  target_include_directories(${name} PRIVATE ${PROJECT_BINARY_DIR}/fuzz)
  korvane_warnings(${name})
endfunction()
