# Fails when a source includes a header of a layer above its own.
#
# The core (src/core/) knows nothing of Qt nor of the window. In the window
# (src/gui/), each folder may use those listed before it and its own:
# icons, then shell, then editors, then app.
#
#   cmake -DSOURCE=<src folder> -P CheckLayers.cmake

cmake_minimum_required(VERSION 3.25)
set(GUI_LAYERS icons shell editors app)

set(faults "")
file(GLOB_RECURSE files ${SOURCE}/core/*.h ${SOURCE}/core/*.cpp ${SOURCE}/gui/*.h ${SOURCE}/gui/*.cpp)
foreach(file IN LISTS files)
  file(RELATIVE_PATH relative ${SOURCE} ${file})
  string(REGEX MATCH "^([a-z]+)/([a-z]+)/" _ ${relative})
  set(library ${CMAKE_MATCH_1})
  set(folder ${CMAKE_MATCH_2})
  file(STRINGS ${file} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
  foreach(line IN LISTS includes)
    string(REGEX MATCH "[<\"]([^>\"]+)[>\"]" _ "${line}")
    set(header ${CMAKE_MATCH_1})
    string(REGEX MATCH "^([A-Za-z]+)/" _ ${header})
    set(target ${CMAKE_MATCH_1})
    if(library STREQUAL "core")
      if(header MATCHES "^Q[A-Za-z]*($|/)" OR (target AND target IN_LIST GUI_LAYERS))
        list(APPEND faults "${relative}: the core includes ${header}")
      endif()
    elseif(target AND target IN_LIST GUI_LAYERS)
      list(FIND GUI_LAYERS ${folder} own)
      list(FIND GUI_LAYERS ${target} used)
      if(used GREATER own)
        list(APPEND faults "${relative}: ${folder}/ includes ${header}, from the layer above it")
      endif()
    endif()
  endforeach()
endforeach()

if(faults)
  list(JOIN faults "\n  " text)
  message(FATAL_ERROR "Includes that go up a layer:\n  ${text}")
endif()
