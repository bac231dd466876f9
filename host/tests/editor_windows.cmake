# The host program offscreen with editor windows asked for on its command line: the
# mixer opens by default, the others by --open, and each is written to its own PNG
# of the window's size.
file(REMOVE_RECURSE ${DIR})
execute_process(COMMAND ${HOST} --no-project --open part:5 --open common --screenshot-dir ${DIR}
                        --delay 300
                RESULT_VARIABLE status TIMEOUT 120)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the host ended with ${status}")
endif()
foreach(picture "mixer-1.png;843;513" "common-1.png;618;401" "part-5.png;618;265")
  list(GET picture 0 name)
  list(GET picture 1 width)
  list(GET picture 2 height)
  if(NOT EXISTS ${DIR}/${name})
    message(FATAL_ERROR "no ${name} written")
  endif()
  # Width and height are the first two big-endian words of the header chunk.
  file(READ ${DIR}/${name} header OFFSET 16 LIMIT 8 HEX)
  string(SUBSTRING ${header} 0 8 w)
  string(SUBSTRING ${header} 8 8 h)
  math(EXPR w "0x${w}")
  math(EXPR h "0x${h}")
  if(NOT w EQUAL width OR NOT h EQUAL height)
    message(FATAL_ERROR "${name} is ${w}x${h}, not ${width}x${height}")
  endif()
endforeach()
execute_process(COMMAND ${HOST} --no-project --open piano RESULT_VARIABLE refused TIMEOUT 60
                OUTPUT_QUIET ERROR_QUIET)
if(refused EQUAL 0)
  message(FATAL_ERROR "an unknown editor was not refused")
endif()
