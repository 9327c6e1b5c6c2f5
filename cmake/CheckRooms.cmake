# Checks that no room of the game includes a room above it. The rooms, bottom
# to top: platform/, the services in game/, particles/ and vegetation/,
# terrain/, units/, effects/, screens/, and the application in game/app/
# (with game/main/). A room may include its own files and those of the rooms
# below it; rooms on one level do not include each other.
#   cmake -DSOURCE_DIR=<checkout> [-DSTAMP=<file>] -P CheckRooms.cmake
cmake_minimum_required(VERSION 3.18)

# The room of a path relative to the checkout ("" when none).
function(room_of path out)
  if(path MATCHES "^game/(app|main)/")
    set(${out} app PARENT_SCOPE)
  elseif(path MATCHES "^(platform|game|particles|vegetation|terrain|units|effects|screens)/")
    set(${out} ${CMAKE_MATCH_1} PARENT_SCOPE)
  else()
    set(${out} "" PARENT_SCOPE)
  endif()
endfunction()

set(level_platform 0)
set(level_game 1)
set(level_particles 2)
set(level_vegetation 2)
set(level_terrain 3)
set(level_units 4)
set(level_effects 5)
set(level_screens 6)
set(level_app 7)

set(faults "")
foreach(folder platform game particles vegetation terrain units effects screens)
  file(GLOB_RECURSE files RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/${folder}/*.h ${SOURCE_DIR}/${folder}/*.cpp)
  foreach(file ${files})
    room_of(${file} room)
    file(STRINGS ${SOURCE_DIR}/${file} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    get_filename_component(dir ${file} DIRECTORY)
    foreach(line ${includes})
      string(REGEX REPLACE "^[^\"]*\"([^\"]*)\".*$" "\\1" written "${line}")
      # As the compiler finds it: beside the including file first, then
      # from the checkout; "../screens/X.h" in terrain/ is screens/X.h.
      set(included ${written})
      if(written MATCHES "^\\.\\.?/" OR EXISTS ${SOURCE_DIR}/${dir}/${written})
        get_filename_component(absolute ${written} ABSOLUTE BASE_DIR ${SOURCE_DIR}/${dir})
        file(RELATIVE_PATH included ${SOURCE_DIR} ${absolute})
      endif()
      room_of(${included} target)
      if(target STREQUAL "" OR target STREQUAL room)
        continue()
      endif()
      if(NOT level_${target} LESS level_${room})
        string(APPEND faults "  ${file} (${room}) includes ${written} (${target})\n")
      endif()
    endforeach()
  endforeach()
endforeach()

if(faults)
  message(FATAL_ERROR "A room includes a room above it or beside it:\n${faults}"
                      "Declare an interface in the lower room and let the application wire it.")
endif()
if(STAMP)
  file(TOUCH ${STAMP})
endif()
