# Starts the player in folders without a usable settings.ini and checks that each run prints the one
# terminal error line, returns at once with exit code 0 and leaves the folder as it was.
# Arguments: -DTANDEMIX=<player binary> -DWORK_DIR=<scratch folder>
set(expected "[TQ] Error: Failed to load configuration file (terminal failure)\n")

function(run_player case_name)
  execute_process(COMMAND ${TANDEMIX} WORKING_DIRECTORY ${WORK_DIR}/${case_name}
                  OUTPUT_VARIABLE out RESULT_VARIABLE rc TIMEOUT 20)
  if(NOT rc STREQUAL "0")
    message(FATAL_ERROR "${case_name}: exit status '${rc}', expected 0")
  endif()
  if(NOT out STREQUAL expected)
    message(FATAL_ERROR "${case_name}: printed '${out}', expected '${expected}'")
  endif()
endfunction()

file(REMOVE_RECURSE ${WORK_DIR})

# No settings.ini at all: none is created.
file(MAKE_DIRECTORY ${WORK_DIR}/missing)
run_player(missing)
file(GLOB left_behind ${WORK_DIR}/missing/*)
if(left_behind)
  message(FATAL_ERROR "missing: the run left files behind: ${left_behind}")
endif()

# settings.ini is a folder.
file(MAKE_DIRECTORY ${WORK_DIR}/folder/settings.ini)
run_player(folder)
if(NOT IS_DIRECTORY ${WORK_DIR}/folder/settings.ini)
  message(FATAL_ERROR "folder: settings.ini is no longer a folder")
endif()

# settings.ini is a FIFO that nobody writes to: the player must not wait for a writer.
file(MAKE_DIRECTORY ${WORK_DIR}/fifo)
execute_process(COMMAND mkfifo ${WORK_DIR}/fifo/settings.ini RESULT_VARIABLE rc)
if(NOT rc STREQUAL "0")
  message(FATAL_ERROR "fifo: mkfifo failed")
endif()
run_player(fifo)

# settings.ini names no decoder: the script is read, refused, and not rewritten.
file(MAKE_DIRECTORY ${WORK_DIR}/no_decoder)
file(WRITE ${WORK_DIR}/no_decoder/enc.fx "x")
set(script "encoder += \"enc.fx\";\nwindow_width = 640;\n")
file(WRITE ${WORK_DIR}/no_decoder/settings.ini "${script}")
run_player(no_decoder)
file(READ ${WORK_DIR}/no_decoder/settings.ini after)
if(NOT after STREQUAL script)
  message(FATAL_ERROR "no_decoder: settings.ini was changed")
endif()

file(REMOVE_RECURSE ${WORK_DIR})
