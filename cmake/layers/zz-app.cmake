# The executable only links the layers and calls main.
add_executable(Orvessa ${PROJECT_SOURCE_DIR}/src/main.cpp)
target_compile_options(Orvessa PRIVATE ${ORV_WARNINGS})
target_link_libraries(Orvessa PRIVATE orv_shell orv_view orv_cloud orv_foundation)
