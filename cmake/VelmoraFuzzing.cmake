# The fuzz build: every library compiled for libFuzzer's coverage with the
# address and undefined-behaviour checks, each check fatal, so an input
# that trips one is a crash the fuzzer keeps. Only clang has libFuzzer.
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  message(FATAL_ERROR "VELMORA_FUZZ needs clang (configure with CC=clang CXX=clang++)")
endif()

set(VELMORA_SANITIZERS address,undefined)
add_compile_options(-fsanitize=fuzzer-no-link,${VELMORA_SANITIZERS} -fno-sanitize-recover=all
                    -fno-omit-frame-pointer)
add_link_options(-fsanitize=${VELMORA_SANITIZERS})

# Where the targets go, and the list scripts/fuzz reads: one line per
# target, "name<TAB>program<TAB>corpus folder...".
set(VELMORA_FUZZ_DIR ${CMAKE_BINARY_DIR}/fuzz)
set(VELMORA_FUZZ_MANIFEST ${VELMORA_FUZZ_DIR}/targets.tsv)
file(MAKE_DIRECTORY ${VELMORA_FUZZ_DIR})
file(WRITE ${VELMORA_FUZZ_MANIFEST} "")

# velmora_add_fuzz_target(NAME SOURCES src... LIBS lib... SEEDS folder...)
# One libFuzzer program. Its corpus is its seed folders and the kept inputs
# of fuzz/corpus/NAME (crashes once found, hand-made seeds); ctest runs the
# program once over each of their files, without mutating.
function(velmora_add_fuzz_target name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;SEEDS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${VELMORA_FUZZ_DIR})
  add_dependencies(velmora_fuzz ${name})
  set(corpus ${ARG_SEEDS} ${CMAKE_SOURCE_DIR}/fuzz/corpus/${name})
  add_test(NAME fuzz_${name}
           COMMAND ${name} -runs=0 -timeout=30 -rss_limit_mb=2048 ${corpus})
  set_tests_properties(fuzz_${name} PROPERTIES TIMEOUT 300 LABELS fuzz
                       ENVIRONMENT "LC_ALL=C.UTF-8")
  list(JOIN corpus "\t" folders)
  file(APPEND ${VELMORA_FUZZ_MANIFEST} "${name}\t${VELMORA_FUZZ_DIR}/${name}\t${folders}\n")
endfunction()
