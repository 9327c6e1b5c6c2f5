#pragma once
// Bounds on what effect files may set. A number read as "inf" saturates to
// the largest float, and such a value that becomes a position or a size
// overflows as soon as it is added to or scaled: whatever a file says, the
// values that become positions, sizes or animation keys stay within these.
// They are far beyond anything an effect shows.
#include "game/Parse.h"

#include <OgreVector.h>

// Positions, offsets, heights and animation key values, in world units.
constexpr float kMaxEffectDistance = 100000.0f;
// Sizes, scales, radii and the strengths of particle actions.
constexpr float kMaxEffectSize = 10000.0f;
// Animation lengths and key times, in seconds.
constexpr float kMaxEffectSeconds = 1000000.0f;
// The largest file a "lua" message takes as its script.
constexpr size_t kMaxScriptBytes = 1 << 20;

// The value within -limit .. limit (0 for a NaN). A value that had to be
// moved is logged with its place, when it has one.
float Bounded(float value, float limit, const TextPlace& place = TextPlace());
Ogre::Vector3 Bounded(const Ogre::Vector3& value, float limit, const TextPlace& place = TextPlace());

bool IsFinite(const Ogre::Vector3& value);
