#pragma once
// Whole numbers from the reals of the data files: truncated toward zero, and
// kept within int (NaN reads as 0) so odd files cannot overflow a cast.
#include <climits>
#include <cmath>

inline int TruncateToInt(double value) {
  if (std::isnan(value)) return 0;
  if (value >= static_cast<double>(INT_MAX)) return INT_MAX;
  if (value <= static_cast<double>(INT_MIN)) return INT_MIN;
  return static_cast<int>(value);
}
