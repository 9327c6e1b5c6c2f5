#pragma once
// Told of a unit's walking: each waypoint reached and each trigger point
// passed. Nothing in the game installs one yet.
class UnitMoveListener {
 public:
  virtual ~UnitMoveListener() = default;
  // A waypoint at (fromX, fromZ) was reached; the unit now heads for (toX, toZ).
  virtual void OnWaypointReached(float fromX, float fromZ, float toX, float toZ) = 0;
  virtual void OnNotice() = 0;
  virtual void OnTriggerPoint(int x, int z) = 0;
};
