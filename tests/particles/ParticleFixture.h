#pragma once
// A particle system whose shared state a test can look into, with one
// current group, and a probe action that logs the ranges it is given.
#include "particles/PActionApi.h"
#include "particles/PActionBase.h"
#include "particles/PError.h"
#include "particles/PGroupApi.h"
#include "particles/PListApi.h"
#include "particles/PSourceApi.h"
#include "particles/PSystemState.h"
#include "platform/Random.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

namespace psimtest {

using namespace PSim;

struct OpenSystem {
  PSystemState state;
  PListApi lists{&state};
  PGroupApi groups{&state};
  PActionApi actions{&state};
  PSourceApi source{&state};

  explicit OpenSystem(unsigned maxParticles = 100000) {
    platform::SeedRand(1);
    groups.CurrentGroup(groups.GenParticleGroups(1, maxParticles));
  }

  PParticleGroup& Group() { return state.groups[state.currentGroup]; }
  PParticle& P(size_t i) { return Group().particles[i]; }

  // Adds a particle at rest with the given position and age.
  PParticle& Add(const PVec3& position, float age = 0.0f, const PVec3& velocity = PVec3(0, 0, 0)) {
    PParticle p;
    p.position = p.positionB = position;
    p.velocity = velocity;
    p.age = age;
    p.mass = 1.0f;
    p.size = PVec3(1, 1, 1);
    Group().Add(p);
    return Group().particles.back();
  }
  void AddMany(unsigned n) {
    for (unsigned i = 0; i < n; ++i) Add(PVec3(static_cast<float>(i), 0, 0), static_cast<float>(i));
  }

  // Records the actions that `record` sends into a fresh list 0 and
  // returns that list.
  template <class Record>
  PActionList& Recorded(Record record) {
    if (state.lists.empty()) lists.GenActionLists(1);
    lists.NewActionList(0);
    record();
    lists.EndActionList();
    return state.lists[0];
  }

  // Sends one action at once with the given time step.
  template <class Send>
  void Now(float dt, Send send) {
    lists.SetTimeStep(dt);
    send();
  }
};

// One Execute call as a probe saw it.
struct ProbeCall {
  std::string name;
  size_t begin, end;
  float dt;
  bool operator==(const ProbeCall& o) const {
    return name == o.name && begin == o.begin && end == o.end && dt == o.dt;
  }
};

inline std::ostream& operator<<(std::ostream& os, const ProbeCall& c) {
  return os << c.name << "[" << c.begin << "," << c.end << ") dt " << c.dt;
}

class ProbeAction : public PActionBase {
 public:
  ProbeAction(std::string name, std::vector<ProbeCall>& log, bool kills = false, bool whole = false)
      : PActionBase(kills, whole), mName(std::move(name)), mLog(log) {}
  void Execute(PParticleGroup& group, ParticleIter begin, ParticleIter end) override {
    mLog.push_back({mName, static_cast<size_t>(begin - group.begin()), static_cast<size_t>(end - group.begin()), dt});
  }

 private:
  std::string mName;
  std::vector<ProbeCall>& mLog;
};

// Expects `call` to throw the error kind E with exactly `message`.
template <class E, class Call>
void ExpectError(Call call, const std::string& message) {
  try {
    call();
    ADD_FAILURE() << "no error, expected \"" << message << "\"";
  } catch (const E& e) {
    EXPECT_EQ(e.message, message);
  } catch (const PError_t& e) {
    ADD_FAILURE() << "wrong error kind for \"" << e.message << "\", expected \"" << message << "\"";
  }
}

// A test name made of the letters and digits of a description.
inline std::string TestName(const std::string& what) {
  std::string name;
  bool upper = true;
  for (char c : what) {
    if (std::isalnum(static_cast<unsigned char>(c))) {
      name += upper ? static_cast<char>(std::toupper(static_cast<unsigned char>(c))) : c;
      upper = false;
    } else {
      upper = true;
    }
  }
  return name;
}

inline void ExpectVec(const PVec3& v, float x, float y, float z) {
  EXPECT_FLOAT_EQ(v.x, x);
  EXPECT_FLOAT_EQ(v.y, y);
  EXPECT_FLOAT_EQ(v.z, z);
}

}  // namespace psimtest
