# yvek_room(NAME SOURCES... LINKS ...): the library of one room of the game.
# It links the rooms below it (LINKS), compiles with the services' precompiled
# header (the engine and the GUI) unless NO_PCH (the rooms without the engine,
# and the services, which make it), and builds after the include check.
#
# Beside it, NAME_link_check links the whole room with nothing but what the
# room links: a call into a room above it has no definition there and fails
# the build, whatever its include lines look like.
function(yvek_room name)
  cmake_parse_arguments(R "NO_PCH" "" "SOURCES;LINKS" ${ARGN})
  add_library(${name} STATIC ${R_SOURCES})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${R_LINKS})
  if(NOT R_NO_PCH)
    yvek_use_engine_pch(${name})
  endif()
  add_dependencies(${name} yvek_rooms_check)

  set(stub ${CMAKE_CURRENT_BINARY_DIR}/${name}_link_check.cpp)
  file(CONFIGURE OUTPUT ${stub} CONTENT "// Links ${name} whole: see yvek_room in cmake/Yvek.cmake.\nint main() { return 0; }\n")
  add_executable(${name}_link_check ${stub})
  target_link_libraries(${name}_link_check PRIVATE "$<LINK_LIBRARY:WHOLE_ARCHIVE,${name}>")
  set_target_properties(${name}_link_check PROPERTIES UNITY_BUILD OFF)
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

# The engine and the GUI, parsed once: the services make the precompiled
# header (game/Precompiled.h) and every target that includes the engine
# compiles with it instead of parsing them again in every file. Such a target
# carries the property YVEK_ENGINE_PCH, which the targets on it follow.
# YVEK_PCH off (the developer set-up) compiles every file on its own, which
# the compile database then shows as it is.
option(YVEK_PCH "Compile with the engine's precompiled header" ON)

# yvek_use_engine_pch(TARGET): TARGET compiles with the precompiled header.
function(yvek_use_engine_pch target)
  set_target_properties(${target} PROPERTIES YVEK_ENGINE_PCH ON)
  if(YVEK_PCH AND NOT target STREQUAL yvek_services)
    target_precompile_headers(${target} REUSE_FROM yvek_services)
  endif()
endfunction()

# yvek_reuse_game_pch(TARGET LIBS...): TARGET compiles with the precompiled
# header when one of the libraries it links does.
function(yvek_reuse_game_pch target)
  foreach(lib ${ARGN})
    if(TARGET ${lib})
      get_target_property(engine ${lib} YVEK_ENGINE_PCH)
      if(engine)
        yvek_use_engine_pch(${target})
        return()
      endif()
    endif()
  endforeach()
endfunction()

# yvek_xml_conversions(OUTPUTS COMMANDS FROM TO FILES...): the engine's binary
# meshes and skeletons from their XML text. For each FILE ("coin.mesh",
# "human.skeleton") appends TO/FILE to the list OUTPUTS and, to the list
# COMMANDS, the COMMAND that converts FROM/FILE.xml into it, for an
# add_custom_command of the caller's.
find_program(OGRE_XML_CONVERTER OgreXMLConverter REQUIRED)
function(yvek_xml_conversions outputs commands from to)
  set(made ${${outputs}})
  set(steps ${${commands}})
  foreach(file ${ARGN})
    list(APPEND made ${to}/${file})
    list(APPEND steps COMMAND ${OGRE_XML_CONVERTER} -q ${from}/${file}.xml ${to}/${file})
  endforeach()
  set(${outputs} ${made} PARENT_SCOPE)
  set(${commands} ${steps} PARENT_SCOPE)
endfunction()
