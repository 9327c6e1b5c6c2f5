# yvek_room(NAME SOURCES... LINKS ...): the library of one room of the game.
# It links the rooms below it (LINKS), compiles with the services' precompiled
# header (the engine and the GUI) unless NO_PCH (the rooms without the engine,
# and the services, which make it), and builds after the include check.
function(yvek_room name)
  cmake_parse_arguments(R "NO_PCH" "" "SOURCES;LINKS" ${ARGN})
  add_library(${name} STATIC ${R_SOURCES})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${R_LINKS})
  if(NOT R_NO_PCH)
    target_precompile_headers(${name} REUSE_FROM yvek_services)
  endif()
  add_dependencies(${name} yvek_rooms_check)
endfunction()

# Adds every subfolder of the current folder that has a CMakeLists.txt (the
# test, benchmark and fuzz folders mirror the game's folders this way).
function(yvek_add_subfolders)
  file(GLOB entries LIST_DIRECTORIES true ${CMAKE_CURRENT_SOURCE_DIR}/*)
  foreach(dir ${entries})
    if(IS_DIRECTORY ${dir} AND EXISTS ${dir}/CMakeLists.txt)
      add_subdirectory(${dir})
    endif()
  endforeach()
endfunction()

# yvek_reuse_game_pch(TARGET LIBS...): a target that links the game (or a
# library on it) compiles with the services' precompiled header (the engine
# and the GUI) instead of parsing them again in every file.
function(yvek_reuse_game_pch target)
  foreach(lib ${ARGN})
    if(lib MATCHES "^yvek_(game|app|testsupport|unit_testsupport|terrain_testsupport|model_testsupport|gui_testsupport|mapedit)$")
      target_precompile_headers(${target} REUSE_FROM yvek_services)
      return()
    endif()
  endforeach()
endfunction()
