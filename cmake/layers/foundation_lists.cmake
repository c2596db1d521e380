# Foundation widget kit of the list screens: paging bar, paged table, date field, scrolling
# strip and picture crop panel.
target_sources(orv_foundation PRIVATE
  ${PROJECT_SOURCE_DIR}/src/CPageWidget.cpp
  ${PROJECT_SOURCE_DIR}/src/TableView.cpp
  ${PROJECT_SOURCE_DIR}/src/DateTimeEdit.cpp
  ${PROJECT_SOURCE_DIR}/src/CListControlRoll.cpp
  ${PROJECT_SOURCE_DIR}/src/PicturePreviewPanel.cpp
)
