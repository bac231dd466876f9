# Runs the host twice offscreen: the first run writes the page's picture and the
# project, the second loads that project. Both must end with status 0.
file(REMOVE ${SHOT} ${PROJECT})
execute_process(COMMAND ${HOST} --project ${PROJECT} --screenshot ${SHOT} --delay 800
                RESULT_VARIABLE first TIMEOUT 120)
if(NOT first EQUAL 0)
  message(FATAL_ERROR "first run ended with ${first}")
endif()
if(NOT EXISTS ${SHOT})
  message(FATAL_ERROR "no screenshot written")
endif()
file(READ ${SHOT} head LIMIT 8 HEX)
if(NOT head STREQUAL "89504e470d0a1a0a")
  message(FATAL_ERROR "the screenshot is no PNG: ${head}")
endif()
if(NOT EXISTS ${PROJECT})
  message(FATAL_ERROR "no project written")
endif()
execute_process(COMMAND ${HOST} --project ${PROJECT} --screenshot ${SHOT} --delay 300
                RESULT_VARIABLE second TIMEOUT 120)
if(NOT second EQUAL 0)
  message(FATAL_ERROR "second run, with the project, ended with ${second}")
endif()
