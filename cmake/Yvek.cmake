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
