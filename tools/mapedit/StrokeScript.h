#pragma once
// Scripted strokes of the terrain editor: one stroke a line, run on the map
// loaded into an editor-mode terrain manager. Coordinates are world units
// unless said otherwise; "#" starts a comment.
//
//   shape round|square               brush images of the strokes that follow
//   raise X Z SIZE AMOUNT            heights, in stored units (250 a vertex
//   lower X Z SIZE AMOUNT              height unit)
//   target X Z SIZE AMOUNT HEIGHT
//   flatten X Z SIZE AMOUNT
//   logic X Z SIZE VALUE             cell values of a square (1 placeable,
//   obstacle X Z SIZE VALUE            3 defeat; obstacle 50 blocked)
//   colour X Z SIZE R G B AMOUNT     colour map toward a colour (0..1 each)
//   light X Z SIZE R G B AMOUNT      light map likewise
//   blend X Z SIZE AMOUNT            blend map weight up (x and z in vertex
//   eraseblend X Z SIZE FLOOR AMOUNT   units x 2), or down to a floor
//   tilelayer X Z TEXTURE SIZE AMOUNT  blend texture painted at blend texels
//   layer X Z LAYER SIZE             terrain layer of the vertices (a layer
//                                      beyond the map's textures erases)
//   heightimage FILE SCALE           adds an image of resource group "General"
//   place TYPE X Z                   a static of the map's static list
//   remove TYPE X Z                  the static of that type nearest (x, z)
#include <istream>
#include <string>

class CGATerrainManager;

// Runs the strokes in order. The first line that cannot be run (an unknown
// stroke, a missing or malformed number, a stroke the map refuses) stops
// the script: false, with "line N: reason" in error. Strokes before it stay.
bool RunStrokes(CGATerrainManager& terrain, std::istream& script, std::string& error);
