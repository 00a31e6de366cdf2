# Runs the desktop program with --screenshot on a sample and checks that a PNG
# image was written. Called by ctest with PROGRAM, SAMPLE and WORK set.
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
set(ENV{QT_QPA_PLATFORM} offscreen)
execute_process(
  COMMAND "${PROGRAM}" --config-dir "${WORK}/config" --screenshot "${WORK}/shot.png" "${SAMPLE}" 0
  RESULT_VARIABLE result TIMEOUT 120)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "the program ended with ${result}")
endif()
if(NOT EXISTS "${WORK}/shot.png")
  message(FATAL_ERROR "no screenshot was written")
endif()
file(READ "${WORK}/shot.png" head LIMIT 8 HEX)
if(NOT head STREQUAL "89504e470d0a1a0a")
  message(FATAL_ERROR "the screenshot is no PNG image (${head})")
endif()
if(EXISTS "${WORK}/config/brevaro.ini")
  message(FATAL_ERROR "a screenshot run wrote the settings")
endif()
# A missing file asks nobody (the question to create it is answered No).
execute_process(
  COMMAND "${PROGRAM}" --config-dir "${WORK}/config" --screenshot "${WORK}/missing.png"
          "${WORK}/missing.pgn" 0
  RESULT_VARIABLE result TIMEOUT 120)
if(NOT result EQUAL 0 OR NOT EXISTS "${WORK}/missing.png" OR EXISTS "${WORK}/missing.pgn")
  message(FATAL_ERROR "a screenshot with a missing file failed (${result})")
endif()
# A file that cannot be written is reported through the exit code.
execute_process(
  COMMAND "${PROGRAM}" --config-dir "${WORK}/config" --screenshot "${WORK}/missing/dir/shot.png"
  RESULT_VARIABLE result TIMEOUT 120)
if(result EQUAL 0)
  message(FATAL_ERROR "an unwritable screenshot was reported as written")
endif()
