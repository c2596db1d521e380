# Application shell: the frameless main window and its pages.
set(ORV_SHELL_SOURCES
  ${PROJECT_SOURCE_DIR}/src/BorderlessWidget.cpp
  ${PROJECT_SOURCE_DIR}/src/Orvessa.cpp
)
add_library(orv_shell STATIC ${ORV_SHELL_SOURCES})
set_target_properties(orv_shell PROPERTIES AUTOMOC ON)
target_include_directories(orv_shell PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_compile_options(orv_shell PRIVATE ${ORV_WARNINGS})
target_link_libraries(orv_shell PUBLIC orv_cloud orv_foundation Qt5::Widgets)
