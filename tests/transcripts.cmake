# Transcripts: keys and commands in, exact texts out, the one account of the
# game that every front-end is held to. One runner reads them
# (transcripts.py) and plays each through a driver per front-end, as the test
# transcript.DRIVER.NAME with the label "transcripts".
find_program(SYSTEM_PYTHON python3 PATHS /usr/bin NO_DEFAULT_PATH REQUIRED)   # Debian's selenium is its own
set(transcript_runner ${CMAKE_CURRENT_LIST_DIR}/transcripts.py)
file(GLOB transcript_files CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/transcripts/*.txt)

# transcript_tests(DRIVER PROGRAM [ENVIRONMENT...]): every transcript through
# one driver.
function(transcript_tests driver program)
  foreach(file IN LISTS transcript_files)
    get_filename_component(name ${file} NAME_WE)
    add_test(NAME transcript.${driver}.${name}
             COMMAND ${SYSTEM_PYTHON} ${transcript_runner} ${driver} ${program} ${file})
    set_tests_properties(transcript.${driver}.${name} PROPERTIES LABELS transcripts)
    if(ARGN)
      set_tests_properties(transcript.${driver}.${name} PROPERTIES ENVIRONMENT "${ARGN}")
    endif()
  endforeach()
endfunction()
