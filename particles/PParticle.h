#pragma once
// One particle: a plain 144-byte record. Its layout is public: the renderer
// reads the group's particles through one pointer, a stride and the field
// positions that GetParticlePointer hands out, so the order of the fields
// must not change.
#include "particles/PVec3.h"

#include <cstddef>
#include <cstdint>

namespace PSim {

struct PParticle {
  PVec3 position;
  PVec3 origin;  // emitter position of the Source that made it
  PVec3 velocity;
  PVec3 color;
  float alpha;  // follows color, so the two read as four floats
  float age;
  float sortKey;  // scratch value of PASort
  PVec3 size;
  PVec3 up;
  PVec3 rotVelocity;
  PVec3 positionB;  // second position ("vertex B")
  PVec3 velocityB;
  PVec3 upB;
  float mass;
  uint64_t data;  // the caller's own value, never interpreted

  // Every field starts at zero, so the fields that the creating operation
  // leaves alone (sortKey, velocityB, and origin and upB of a particle added
  // at once by Vertex) hold a known value.
  PParticle()
      : position(0, 0, 0), origin(0, 0, 0), velocity(0, 0, 0), color(0, 0, 0), alpha(0), age(0), sortKey(0),
        size(0, 0, 0), up(0, 0, 0), rotVelocity(0, 0, 0), positionB(0, 0, 0), velocityB(0, 0, 0), upB(0, 0, 0),
        mass(0), data(0) {}
};

// Position of a field in floats from the start of its particle.
#define PSIM_FLOAT_POS(field) (offsetof(PSim::PParticle, field) / sizeof(float))

static_assert(sizeof(PParticle) == 144, "the particle record is read by stride");
static_assert(PSIM_FLOAT_POS(origin) == 3 && PSIM_FLOAT_POS(velocity) == 6 && PSIM_FLOAT_POS(color) == 9 &&
                  PSIM_FLOAT_POS(alpha) == 12 && PSIM_FLOAT_POS(age) == 13 && PSIM_FLOAT_POS(sortKey) == 14 &&
                  PSIM_FLOAT_POS(size) == 15 && PSIM_FLOAT_POS(up) == 18 && PSIM_FLOAT_POS(rotVelocity) == 21 &&
                  PSIM_FLOAT_POS(positionB) == 24 && PSIM_FLOAT_POS(velocityB) == 27 && PSIM_FLOAT_POS(upB) == 30 &&
                  PSIM_FLOAT_POS(mass) == 33 && PSIM_FLOAT_POS(data) == 34,
              "field positions are handed to the renderer");

// Called when a particle is born or about to die; it may change the
// particle but must not add particles to or remove them from its group.
typedef void (*PParticleCallback)(PParticle& particle, uint64_t data);

}  // namespace PSim
