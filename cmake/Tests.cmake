# Every file tests/<kind>/<folder>_<name>_test.cpp becomes one test program
# linked against the engine library of <folder> and the shared test support.
find_package(GTest REQUIRED)
find_package(OpenSSL REQUIRED)
include(GoogleTest)

file(GLOB support_sources CONFIGURE_DEPENDS tests/support/*.cpp)
add_library(reelcatch_test_support STATIC ${support_sources} tests/support/README.md)
set_target_properties(reelcatch_test_support PROPERTIES LINKER_LANGUAGE CXX)
target_include_directories(reelcatch_test_support PUBLIC tests src)
target_link_libraries(reelcatch_test_support PUBLIC reelcatch_engine GTest::gtest Threads::Threads
  OpenSSL::SSL OpenSSL::Crypto)

function(reelcatch_add_test source)
  get_filename_component(name ${source} NAME_WE)
  get_filename_component(kind_dir ${source} DIRECTORY)
  get_filename_component(kind ${kind_dir} NAME)
  string(REGEX MATCH "^[a-z]+" folder ${name})
  set(target ${kind}_${name})
  add_executable(${target} ${source})
  target_link_libraries(${target} PRIVATE reelcatch_test_support GTest::gtest_main ${ARGN})
  if(TARGET reelcatch_${folder})
    target_link_libraries(${target} PRIVATE reelcatch_${folder})
  endif()
  target_compile_definitions(${target} PRIVATE
    REELCATCH_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
    REELCATCH_BINARY_DIR="${CMAKE_BINARY_DIR}")
  gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST
    PROPERTIES LABELS ${kind} ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
  # The programs once more under a locale that writes a decimal comma
  # (scripts/install-deps generates it): numbers the engine writes and reads
  # must not follow the user's locale. Of the gui programs, those that show numbers.
  if(kind STREQUAL "e2e" OR source MATCHES "gui/(qt_grid|shell_desktop_download)_test")
    gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST TEST_PREFIX "comma_locale."
      PROPERTIES LABELS ${kind} ENVIRONMENT "LC_ALL=de_DE.UTF-8")
  endif()
endfunction()

foreach(kind unit net e2e)
  file(GLOB tests CONFIGURE_DEPENDS tests/${kind}/*_test.cpp)
  foreach(source IN LISTS tests)
    reelcatch_add_test(${source})
  endforeach()
endforeach()

if(REELCATCH_DESKTOP)
  file(GLOB tests CONFIGURE_DEPENDS tests/gui/*_test.cpp)
  foreach(source IN LISTS tests)
    reelcatch_add_test(${source} reelcatch_qt Qt6::Test)
    get_filename_component(name ${source} NAME_WE)
    set_target_properties(gui_${name} PROPERTIES AUTOMOC ON)
  endforeach()
endif()

# An include that points up the engine's layers fails the suite.
add_test(NAME check_layers COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-layers)

# The sample site of the demo.
add_executable(reelcatch-sample-site tests/demo/sample_site_server.cpp)
target_link_libraries(reelcatch-sample-site PRIVATE reelcatch_test_support)
target_compile_definitions(reelcatch-sample-site PRIVATE REELCATCH_SOURCE_DIR="${CMAKE_SOURCE_DIR}")

# Tests that run the programs need them built first.
if(TARGET gui_shell_processes_test)
  add_dependencies(gui_shell_processes_test reelcatch reelcatch-clip)
endif()
file(GLOB e2e_tests CONFIGURE_DEPENDS tests/e2e/*_test.cpp)
foreach(source IN LISTS e2e_tests)
  get_filename_component(name ${source} NAME_WE)
  add_dependencies(e2e_${name} reelcatch-get)
endforeach()
