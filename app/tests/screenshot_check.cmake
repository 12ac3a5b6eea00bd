# Runs `sonavex --screenshot` in a fresh home and runtime folder and checks
# that every view's picture was written and has a real size, and that no
# message box came up on the way.
#   cmake -DSONAVEX=<program> -DWORK=<folder> -P screenshot_check.cmake
set(expected main_song_edit transport main_smf_edit menu_1 menu_2 menu_3 menu_4 menu_5
    splash welcome file_new time_base midi_output library_rhythm library_melody convert about
    playtime realtime realtime_run message_save_changes)

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/home ${WORK}/run)
file(CHMOD ${WORK}/run DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
set(ENV{HOME} ${WORK}/home)
set(ENV{XDG_RUNTIME_DIR} ${WORK}/run)
set(ENV{XDG_CONFIG_HOME} ${WORK}/home/.config)
set(ENV{QT_QPA_PLATFORM} offscreen)
execute_process(COMMAND ${SONAVEX} --screenshot ${WORK}/pictures
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 90)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "sonavex --screenshot ended with ${rc}\n${out}\n${err}")
endif()
if(err MATCHES "Sonavex message:")
  message(FATAL_ERROR "a message box came up during the tour:\n${err}")
endif()

foreach(name IN LISTS expected)
  set(png ${WORK}/pictures/${name}.png)
  if(NOT EXISTS ${png})
    message(FATAL_ERROR "no picture ${name}.png")
  endif()
  file(SIZE ${png} size)
  # The signature, then the header chunk: width and height, 4 bytes each.
  file(READ ${png} head LIMIT 24 HEX)
  string(SUBSTRING "${head}" 0 16 signature)
  string(SUBSTRING "${head}" 32 8 width_hex)
  string(SUBSTRING "${head}" 40 8 height_hex)
  math(EXPR width "0x${width_hex}")
  math(EXPR height "0x${height_hex}")
  if(NOT signature STREQUAL "89504e470d0a1a0a" OR size LESS 2000 OR width LESS 80
     OR height LESS 40)
    message(FATAL_ERROR "${name}.png is not a real picture: ${size} bytes, ${width}x${height}")
  endif()
endforeach()
file(GLOB written ${WORK}/pictures/*.png)
list(LENGTH written count)
list(LENGTH expected wanted)
if(NOT count EQUAL wanted)
  message(FATAL_ERROR "${count} pictures written, ${wanted} expected")
endif()
file(REMOVE_RECURSE ${WORK})
