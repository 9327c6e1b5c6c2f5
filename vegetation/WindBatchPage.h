#pragma once
// The page kind of wind-animated batched grass, as a detail level of
// PagedVegetation names it.
namespace Verdure {

class WindBatchPage {
 public:
  static constexpr const char* kTypeName = "WindBatchPage";
};

}  // namespace Verdure
