# libFuzzer targets: each fuzz/<name>_fuzz.cpp becomes fuzz_<name>, run by
# scripts/fuzz. Needs clang; the engine is instrumented for coverage and the
# sanitizers, and nothing else is built.
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  message(FATAL_ERROR "REELCATCH_FUZZ needs clang (CC=clang CXX=clang++)")
endif()

set(REELCATCH_DESKTOP OFF)
set(REELCATCH_TESTS OFF)
set(REELCATCH_BENCH OFF)
set_target_properties(reelcatch-get PROPERTIES EXCLUDE_FROM_ALL ON)

# UB stops the run like a crash, so the fuzzer reports it.
set(reelcatch_fuzz_flags -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
foreach(folder IN LISTS REELCATCH_ENGINE_FOLDERS)
  target_compile_options(reelcatch_${folder} PRIVATE
    -fsanitize=fuzzer-no-link,address,undefined ${reelcatch_fuzz_flags})
endforeach()

file(GLOB fuzz_sources CONFIGURE_DEPENDS fuzz/*_fuzz.cpp)
foreach(source IN LISTS fuzz_sources)
  get_filename_component(name ${source} NAME_WE)
  string(REGEX REPLACE "_fuzz$" "" name ${name})
  add_executable(fuzz_${name} ${source} fuzz/fuzz_support.h)
  target_include_directories(fuzz_${name} PRIVATE fuzz)
  target_compile_options(fuzz_${name} PRIVATE
    -fsanitize=fuzzer,address,undefined ${reelcatch_fuzz_flags})
  target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_libraries(fuzz_${name} PRIVATE reelcatch_engine)
endforeach()
