# Document view: the display model, the tile render cache with its render thread, the minimal
# page view and the outline panel.
find_package(X11 REQUIRED)
set(ORV_VIEW_SOURCES
  ${PROJECT_SOURCE_DIR}/src/DisplayModel.cpp
  ${PROJECT_SOURCE_DIR}/src/RenderRequestQueue.cpp
  ${PROJECT_SOURCE_DIR}/src/RenderCache.cpp
  ${PROJECT_SOURCE_DIR}/src/BasicPdfView.cpp
  ${PROJECT_SOURCE_DIR}/src/BookMarkWidget.cpp
)
add_library(orv_view STATIC ${ORV_VIEW_SOURCES})
set_target_properties(orv_view PROPERTIES AUTOMOC ON)
target_include_directories(orv_view PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_compile_options(orv_view PRIVATE ${ORV_WARNINGS})
target_link_libraries(orv_view PUBLIC orv_facade orv_foundation Qt5::Widgets Threads::Threads PRIVATE X11::X11)
