# Foundation: shared declarations, start-up decisions, style sheet, compiled-in resources.

# The toolkit's Chinese dialog texts come from Debian's qttranslations5-l10n; qt_zh_CN.qm loads
# the catalogues it names from beside itself, so all of them are embedded together.
set(ORV_QT_TRANSLATIONS_DIR /usr/share/qt5/translations)
set(ORV_QT_CATALOGUES qt_zh_CN qtbase_zh_CN qtscript_zh_CN qtmultimedia_zh_CN qtxmlpatterns_zh_CN)
set(ORV_TRANSLATION_QRC ${CMAKE_BINARY_DIR}/translations/translations.qrc)
set(ORV_TRANSLATION_ENTRIES "")
foreach(cat ${ORV_QT_CATALOGUES})
  if(NOT EXISTS ${ORV_QT_TRANSLATIONS_DIR}/${cat}.qm)
    message(FATAL_ERROR "Missing ${ORV_QT_TRANSLATIONS_DIR}/${cat}.qm (package qttranslations5-l10n)")
  endif()
  configure_file(${ORV_QT_TRANSLATIONS_DIR}/${cat}.qm ${CMAKE_BINARY_DIR}/translations/${cat}.qm COPYONLY)
  string(APPEND ORV_TRANSLATION_ENTRIES "    <file alias=\"Resources/translation/${cat}.qm\">${cat}.qm</file>\n")
endforeach()
file(WRITE ${ORV_TRANSLATION_QRC}.in
  "<!DOCTYPE RCC>\n<RCC version=\"1.0\">\n  <qresource prefix=\"/\">\n${ORV_TRANSLATION_ENTRIES}  </qresource>\n</RCC>\n")
configure_file(${ORV_TRANSLATION_QRC}.in ${ORV_TRANSLATION_QRC} COPYONLY)

qt5_add_resources(ORV_RESOURCE_SOURCES
  ${PROJECT_SOURCE_DIR}/Resources/resources.qrc
  ${ORV_TRANSLATION_QRC})

set(ORV_FOUNDATION_SOURCES
  ${PROJECT_SOURCE_DIR}/src/GlobalHeader.cpp
  ${PROJECT_SOURCE_DIR}/src/StyleSheet.cpp
  ${PROJECT_SOURCE_DIR}/src/CLog.cpp
  ${PROJECT_SOURCE_DIR}/src/LoadingWidget.cpp
  ${PROJECT_SOURCE_DIR}/src/ParentDialog.cpp
  ${PROJECT_SOURCE_DIR}/src/MMessageBox.cpp
  ${PROJECT_SOURCE_DIR}/src/QuickMessageBox.cpp
  ${PROJECT_SOURCE_DIR}/src/ProgressDlg.cpp
  ${PROJECT_SOURCE_DIR}/src/RegeditSettings.cpp
  ${PROJECT_SOURCE_DIR}/src/Allocator.cpp
  ${PROJECT_SOURCE_DIR}/src/Level2MenuBar.cpp
)
add_library(orv_foundation STATIC ${ORV_FOUNDATION_SOURCES} ${ORV_RESOURCE_SOURCES})
set_target_properties(orv_foundation PROPERTIES AUTOMOC ON)
target_include_directories(orv_foundation PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_compile_options(orv_foundation PRIVATE ${ORV_WARNINGS})
target_link_libraries(orv_foundation PUBLIC Qt5::Widgets Qt5::Gui Qt5::Core Qt5::Svg)
