#pragma once
// The placement rules of the player's units, apart from the GUI: the unit
// grid the preview snaps to, what a unit costs, where it may stand and how
// far its reach marker spans.
#include <OgreVector.h>

#include <string>

// The player's side (integer slot 4); enemies march on side 0.
constexpr int kSidePlayer = 1;

// The centre of the 2 x 2 grid cell of a ground point: 2 trunc(v / 2) + 1 in
// x and z (truncated toward zero); the height stays.
Ogre::Vector3 SnapToGridCell(const Ogre::Vector3& ground);

// A price equal to the silver is affordable.
inline bool CanAfford(int price, int silver) { return price <= silver; }

// Whether a unit may stand where it is. A type with a need stands only on a
// unit of the needed type (unitUnder: that unit's type, empty for none);
// any other on a free cell of placeable ground.
bool MayPlace(const std::string& need, const std::string& unitUnder, bool placeBlocked, int logic);

// The reach marker's scale: the range along x (at least 2), the lanes the
// unit sees along z.
Ogre::Vector3 ReachMarkerScale(int range, int laneSpan);
