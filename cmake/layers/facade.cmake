# Document facade: PdfEngine over the engine, the sign callback and signature verification.
set(ORV_FACADE_SOURCES
  ${PROJECT_SOURCE_DIR}/src/PdfEngine.cpp
  ${PROJECT_SOURCE_DIR}/src/PdfEngineSignature.cpp
)
add_library(orv_facade STATIC ${ORV_FACADE_SOURCES})
set_target_properties(orv_facade PROPERTIES AUTOMOC ON)
target_include_directories(orv_facade PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_compile_options(orv_facade PRIVATE ${ORV_WARNINGS})
target_link_libraries(orv_facade PUBLIC vqpdf orv_cloud orv_foundation Qt5::Widgets Qt5::Xml)
