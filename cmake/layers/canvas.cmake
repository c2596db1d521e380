# Document view, upper half: the canvas of a document tab with its tools and seal items, and the
# graphics-scene seal preview items. Built on the view layer (orv_view).
add_library(orv_canvas STATIC
  ${PROJECT_SOURCE_DIR}/src/Canvas.cpp
  ${PROJECT_SOURCE_DIR}/src/CanvasSigning.cpp
  ${PROJECT_SOURCE_DIR}/src/CanvasBatch.cpp
  ${PROJECT_SOURCE_DIR}/src/bathSignThread.cpp
  ${PROJECT_SOURCE_DIR}/src/RightToolBar.cpp
  ${PROJECT_SOURCE_DIR}/src/FreeSealItem.cpp
  ${PROJECT_SOURCE_DIR}/src/LoactionItem.cpp
  ${PROJECT_SOURCE_DIR}/Resources/canvas.qrc
)
set_target_properties(orv_canvas PROPERTIES AUTOMOC ON AUTORCC ON)
target_include_directories(orv_canvas PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_compile_options(orv_canvas PRIVATE ${ORV_WARNINGS})
target_link_libraries(orv_canvas PUBLIC orv_view orv_dialogs orv_facade orv_cloud orv_foundation Qt5::Widgets Qt5::Svg)
