#pragma once
// The cells of the collision grid that files the map's statics for ray
// picks: 128 x 128 squares of 4 world units over x and z from 0 to 512.
namespace CollisionCells {

constexpr int kCellsPerSide = 128;
constexpr int kCellCount = kCellsPerSide * kCellsPerSide;
constexpr float kCellSize = 4.0f;

// Index of the cell under (x, z): column x / 4 in row z / 4. Each axis is
// tested, so a point right of the grid is off it rather than in the next
// row; -1 off the grid.
int IndexAt(float x, float z);

// The columns (or rows) that a walk from lo in steps of one cell visits while
// below hi plus one cell (a box reaches one cell past its maximum when its
// extent is a whole number of cells), clipped to the grid: first to last,
// inclusive; empty (first > last) when none is on the grid.
struct Span {
  int first;
  int last;
};
Span SpanOf(float lo, float hi);

}  // namespace CollisionCells
