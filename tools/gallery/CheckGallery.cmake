# Runs the gallery under xvfb-run at 1024 x 768 (scale 1.0) and checks every picture was written.
file(REMOVE_RECURSE ${OUT})
execute_process(COMMAND xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" ${GALLERY} ${OUT}
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "widget_gallery failed (${rc})\n${out}\n${err}")
endif()
set(expected
  parent_dialog dialog_undimmed progress_dialog
  msg_warning msg_error msg_success msg_question msg_information msg_custom msg_update
  toast_success toast_error toast_plain
  loading_vertical loading_horizontal
  level2_menubar block_widgets
  table_page1 table_page7 table_empty date_field crop_panel list_strip)
foreach(name ${expected})
  if(NOT EXISTS ${OUT}/${name}.png)
    message(FATAL_ERROR "missing screenshot ${OUT}/${name}.png\n${out}\n${err}")
  endif()
  file(SIZE ${OUT}/${name}.png size)
  if(size LESS 500)
    message(FATAL_ERROR "screenshot ${name}.png is suspiciously small (${size} bytes)")
  endif()
endforeach()
