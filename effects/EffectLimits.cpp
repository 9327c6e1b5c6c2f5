#include "effects/EffectLimits.h"

#include "game/GameLog.h"

#include <algorithm>
#include <cmath>
#include <sstream>

namespace {

float Clamp(float value, float limit) { return std::isnan(value) ? 0.0f : std::max(-limit, std::min(value, limit)); }

std::string LimitText(float value) {
  std::ostringstream out;
  out.imbue(std::locale::classic());
  out << value;
  return out.str();
}

void LogMoved(const TextPlace& place, float limit, const std::string& keptAs) {
  if (!place.file) return;
  std::string where = *place.file + ":";
  if (place.line > 0) where += std::to_string(place.line) + ":";
  GameLog(where + " " + (place.name ? place.name : "number") + " beyond " + LimitText(limit) + " in size; read as " +
          keptAs);
}

}  // namespace

float Bounded(float value, float limit, const TextPlace& place) {
  const float kept = Clamp(value, limit);
  if (kept != value) LogMoved(place, limit, LimitText(kept));
  return kept;
}

Ogre::Vector3 Bounded(const Ogre::Vector3& value, float limit, const TextPlace& place) {
  const Ogre::Vector3 kept(Clamp(value.x, limit), Clamp(value.y, limit), Clamp(value.z, limit));
  if (kept != value) LogMoved(place, limit, LimitText(kept.x) + " " + LimitText(kept.y) + " " + LimitText(kept.z));
  return kept;
}

bool IsFinite(const Ogre::Vector3& value) {
  return std::isfinite(value.x) && std::isfinite(value.y) && std::isfinite(value.z);
}
