#pragma once
// Setters of the source state: the attributes that particles born from now
// on take. They act at once, also while a list is being recorded, and are
// never recorded themselves; a Source keeps the state of the moment it was
// built.
#include "particles/PDomain.h"

#include <cstdint>

namespace PSim {

class PSystemState;

class PSourceApi {
 public:
  explicit PSourceApi(PSystemState* state) : mState(state) {}

  void SetColor(float red, float green, float blue, float alpha = 1.0f);
  void SetColor(const PVec3& color, float alpha = 1.0f);
  // Alpha goes back to 1.
  void SetColor(const pDomain& colorDomain);
  void SetColor(const pDomain& colorDomain, const pDomain& alphaDomain);
  void SetData(uint64_t data);
  void SetUpVector(const PVec3& up);
  void SetUpVector(const pDomain& up);
  void SetVelocity(const PVec3& velocity);
  void SetVelocity(const pDomain& velocity);
  void SetRotVelocity(const PVec3& rotVelocity);
  void SetRotVelocity(const pDomain& rotVelocity);
  void SetVertexB(const PVec3& vertexB);
  void SetVertexB(const pDomain& vertexB);
  void SetVertexBTracks(bool tracks);
  void SetSize(const PVec3& size);
  void SetSize(const pDomain& size);
  void SetMass(float mass);
  // New particles start at `age`, spread by a normal distribution of
  // standard deviation `sigma`.
  void SetStartingAge(float age, float sigma = 0.0f);
  void ResetSourceState();

 private:
  PSystemState* mState;
};

}  // namespace PSim
