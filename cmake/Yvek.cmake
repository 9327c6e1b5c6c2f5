# Every folder of the game library lists its files with this.
function(yvek_game_sources)
  target_sources(yvek_game PRIVATE ${ARGN})
endfunction()
