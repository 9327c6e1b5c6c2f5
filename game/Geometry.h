#pragma once
// Integer plane geometry on (x, z).

// Integer approximation of the length of (dx, dz) without a square root: the
// larger of |dx| and |dz| plus about 0.3125 times the smaller; never more than
// |dx| + |dz|. Inputs must not be the most negative int.
int ApproxDistance(int dx, int dz);

// True when both |x1 - x2| and |z1 - z2| are at most range.
bool InSquareRange(int x1, int z1, int x2, int z2, int range);
