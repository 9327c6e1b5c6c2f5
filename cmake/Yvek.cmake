# Every folder of the game library lists its files with this.
function(yvek_game_sources)
  target_sources(yvek_game PRIVATE ${ARGN})
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

# yvek_reuse_game_pch(TARGET LIBS...): a target that links the game library
# (or a library on it) compiles with the game library's precompiled header
# (the engine and the GUI) instead of parsing them again in every file.
function(yvek_reuse_game_pch target)
  foreach(lib ${ARGN})
    if(lib MATCHES "^yvek_(game|testsupport|unit_testsupport|terrain_testsupport|model_testsupport|gui_testsupport|mapedit)$")
      target_precompile_headers(${target} REUSE_FROM yvek_game)
      return()
    endif()
  endforeach()
endfunction()
