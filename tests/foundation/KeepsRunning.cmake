# Starts APP with ARG and passes when it is still running after a few seconds (the time-out ends
# it) rather than exiting or crashing on its own.
execute_process(COMMAND timeout --preserve-status -s TERM 4 ${APP} ${ARG}
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
# With --preserve-status a process ended by SIGTERM reports 143 (128 + 15).
if(NOT rc EQUAL 143)
  message(FATAL_ERROR "Orvessa exited by itself (status ${rc})\n${out}\n${err}")
endif()
