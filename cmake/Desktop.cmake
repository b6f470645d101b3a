# The desktop host (Qt) and the two Qt programs.
find_package(Qt6 REQUIRED COMPONENTS Core Gui Widgets Qml Quick QuickWidgets Network Test)

file(GLOB qt_sources CONFIGURE_DEPENDS src/platform/qt/*.cpp src/platform/qt/*.h)
add_library(reelcatch_qt STATIC ${qt_sources} src/version.h.in)
set_target_properties(reelcatch_qt PROPERTIES LINKER_LANGUAGE CXX AUTOMOC ON)
target_include_directories(reelcatch_qt PUBLIC src)
target_link_libraries(reelcatch_qt PUBLIC reelcatch_engine
  Qt6::Core Qt6::Gui Qt6::Widgets Qt6::Qml Qt6::Quick Qt6::QuickWidgets Qt6::Network)

file(GLOB desktop_sources CONFIGURE_DEPENDS src/app/desktop/*.cpp)
if(desktop_sources)
  add_executable(reelcatch ${desktop_sources})
  target_link_libraries(reelcatch PRIVATE reelcatch_qt)
  set_target_properties(reelcatch PROPERTIES AUTOMOC ON)
endif()

file(GLOB clip_sources CONFIGURE_DEPENDS src/app/clip/*.cpp)
if(clip_sources)
  add_executable(reelcatch-clip ${clip_sources})
  target_link_libraries(reelcatch-clip PRIVATE reelcatch_qt)
  set_target_properties(reelcatch-clip PROPERTIES AUTOMOC ON)
endif()

# The face (Main.qml, the pages and controls it is made of, and the qmldir
# that names them) and the help page lie beside the programs, in the build
# tree too.
file(GLOB face_documents CONFIGURE_DEPENDS RELATIVE ${CMAKE_SOURCE_DIR} face/*.qml)
set(face_assets ${face_documents} face/qmldir face/Help.html face/reelcatch.png)
foreach(asset IN LISTS face_assets)
  if(EXISTS ${CMAKE_SOURCE_DIR}/${asset})
    get_filename_component(asset_name ${asset} NAME)
    configure_file(${asset} ${CMAKE_BINARY_DIR}/${asset_name} COPYONLY)
  endif()
endforeach()
