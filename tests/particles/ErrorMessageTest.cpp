// Every error the library raises: its kind and its exact message, and that
// a refused call changes nothing.
#include "ParticleFixture.h"

#include "particles/ActionsEmission.h"
#include "particles/PDomain.h"

#include <functional>

namespace psimtest {
namespace {

using Call = std::function<void(OpenSystem&)>;
using Expect = void (*)(std::function<void()>, const std::string&);

template <class E>
Expect Kind() {
  return &ExpectError<E, std::function<void()>>;
}

struct ErrorCase {
  const char* message;
  Expect expect;
  bool recording;  // called while list 0 is being recorded
  Call call;
};

void Nothing(PParticle&, uint64_t) {}

TEST(ErrorMessages, EveryRefusalHasItsKindAndText) {
  const ErrorCase cases[] = {
      // Action lists.
      {"Can't call GenActionLists while in NewActionList.", Kind<PErrInNewActionList>(), true,
       [](OpenSystem& s) { s.lists.GenActionLists(1); }},
      {"Can't call NewActionList while in NewActionList.", Kind<PErrInNewActionList>(), true,
       [](OpenSystem& s) { s.lists.NewActionList(0); }},
      {"Invalid action list number", Kind<PErrActionList>(), false, [](OpenSystem& s) { s.lists.NewActionList(1); }},
      {"Invalid action list number", Kind<PErrActionList>(), false, [](OpenSystem& s) { s.lists.NewActionList(-1); }},
      {"Can't call EndActionList while not in NewActionList.", Kind<PErrInNewActionList>(), false,
       [](OpenSystem& s) { s.lists.EndActionList(); }},
      {"Can't call DeleteActionLists while in NewActionList.", Kind<PErrInNewActionList>(), true,
       [](OpenSystem& s) { s.lists.DeleteActionLists(0, 1); }},
      {"Invalid action list number.", Kind<PErrActionList>(), false,
       [](OpenSystem& s) { s.lists.DeleteActionLists(-1, 1); }},
      {"Invalid action list number.", Kind<PErrActionList>(), false,
       [](OpenSystem& s) { s.lists.DeleteActionLists(0, 2); }},
      {"Invalid action list number.", Kind<PErrActionList>(), false, [](OpenSystem& s) { s.lists.CallActionList(1); }},
      {"Invalid action list number.", Kind<PErrActionList>(), true, [](OpenSystem& s) { s.lists.CallActionList(1); }},
      {"Invalid action list number.", Kind<PErrActionList>(), false,
       [](OpenSystem& s) { s.lists.CallActionList(-1); }},
      {"Invalid action list number.", Kind<PErrActionList>(), false, [](OpenSystem& s) { s.lists.GenActionLists(-1); }},
      {"Can only be done on whole list", Kind<PErrInternalError>(), false,
       [](OpenSystem& s) {
         PACallActionList call(0);
         call.state = &s.state;
         call.Execute(s.Group(), s.Group().begin() + 1, s.Group().end());
       }},
      // Particle groups.
      {"Can't call GenParticleGroups while in NewActionList.", Kind<PErrInNewActionList>(), true,
       [](OpenSystem& s) { s.groups.GenParticleGroups(1, 10); }},
      {"Invalid particle group number 0", Kind<PErrParticleGroup>(), false,
       [](OpenSystem& s) { s.groups.GenParticleGroups(-1, 10); }},
      {"Can't call DeleteParticleGroups while in NewActionList.", Kind<PErrInNewActionList>(), true,
       [](OpenSystem& s) { s.groups.DeleteParticleGroups(0, 1); }},
      {"Invalid particle group number 1", Kind<PErrParticleGroup>(), false,
       [](OpenSystem& s) { s.groups.DeleteParticleGroups(-1, 1); }},
      {"Invalid p_group_count", Kind<PErrParticleGroup>(), false,
       [](OpenSystem& s) { s.groups.DeleteParticleGroups(0, 0); }},
      {"Invalid particle group number 2", Kind<PErrParticleGroup>(), false,
       [](OpenSystem& s) { s.groups.DeleteParticleGroups(0, 2); }},
      {"Can't call CurrentGroup while in NewActionList.", Kind<PErrInNewActionList>(), true,
       [](OpenSystem& s) { s.groups.CurrentGroup(5); }},
      {"Invalid particle group number 3", Kind<PErrParticleGroup>(), false,
       [](OpenSystem& s) { s.groups.CurrentGroup(1); }},
      {"Invalid particle group number 3", Kind<PErrParticleGroup>(), false,
       [](OpenSystem& s) { s.groups.CurrentGroup(-1); }},
      {"Can't call SetMaxParticles while in NewActionList.", Kind<PErrInNewActionList>(), true,
       [](OpenSystem& s) { s.groups.SetMaxParticles(1); }},
      {"Can't call CopyGroup while in NewActionList.", Kind<PErrInNewActionList>(), true,
       [](OpenSystem& s) { s.groups.CopyGroup(0); }},
      {"Invalid particle group number 4", Kind<PErrParticleGroup>(), false,
       [](OpenSystem& s) { s.groups.CopyGroup(1); }},
      {"Can't call GetParticles while in NewActionList.", Kind<PErrInNewActionList>(), true,
       [](OpenSystem& s) { s.groups.GetParticles(0, 1, nullptr); }},
      {"GetParticles: Invalid pgroup_id", Kind<PErrParticleGroup>(), false,
       [](OpenSystem& s) {
         s.state.currentGroup = -1;
         s.groups.GetParticles(0, 1, nullptr);
       }},
      {"GetParticles: index out of bounds.", Kind<PErrParticleGroup>(), false,
       [](OpenSystem& s) { s.groups.GetParticles(6, 1, nullptr); }},
      {"GetParticlePointer called on empty particle group.", Kind<PErrParticleGroup>(), true,
       [](OpenSystem& s) {
         s.Group().particles.clear();
         float* p;
         size_t f[15];
         s.groups.GetParticlePointer(p, f[0], f[1], f[2], f[3], f[4], f[5], f[6], f[7], f[8], f[9], f[10], f[11],
                                     f[12], f[13], f[14]);
       }},
      {"Can't call GetParticlePointer while in NewActionList.", Kind<PErrInNewActionList>(), true,
       [](OpenSystem& s) {
         float* p;
         size_t f[15];
         s.groups.GetParticlePointer(p, f[0], f[1], f[2], f[3], f[4], f[5], f[6], f[7], f[8], f[9], f[10], f[11],
                                     f[12], f[13], f[14]);
       }},
      {"GetGroupCount: Invalid particle group number", Kind<PErrParticleGroup>(), true,
       [](OpenSystem& s) {
         s.state.currentGroup = 1;
         s.groups.GetGroupCount();
       }},
      {"GetMaxParticles: Invalid particle group number", Kind<PErrParticleGroup>(), false,
       [](OpenSystem& s) {
         s.state.currentGroup = -1;
         s.groups.GetMaxParticles();
       }},
      {"Can't call BirthCallback while in NewActionList.", Kind<PErrInNewActionList>(), true,
       [](OpenSystem& s) { s.groups.BirthCallback(Nothing); }},
      {"Can't call DeathCallback while in NewActionList.", Kind<PErrInNewActionList>(), true,
       [](OpenSystem& s) { s.groups.DeathCallback(Nothing); }},
      // Domains and actions.
      {"Can't have negative radius.", Kind<PErrInvalidValue>(), false,
       [](OpenSystem&) { PDSphere(PVec3(0, 0, 0), 1, -1); }},
      {"Sizes didn't add up to TotalSize in PDUnion::Generate().", Kind<PErrInternalError>(), false,
       [](OpenSystem& s) { s.actions.Source(100, PDUnion()); }},
      {"callback pointer was NULL", Kind<PErrInternalError>(), false,
       [](OpenSystem& s) { s.actions.Callback(nullptr); }},
      {"Bouncing doesn't work on thick shells. radIn must be 0.", Kind<PErrInternalError>(), false,
       [](OpenSystem& s) { s.actions.Bounce(0, 1, 0, PDSphere(PVec3(0, 0, 0), 2, 1)); }},
      // Our own, for calls the game never makes.
      {"SendAction: Invalid particle group number", Kind<PErrParticleGroup>(), false,
       [](OpenSystem& s) {
         s.state.currentGroup = -1;
         s.actions.Move();
       }},
      {"Action list calls itself.", Kind<PErrActionList>(), false,
       [](OpenSystem& s) {
         s.lists.NewActionList(0);
         s.lists.CallActionList(0);
         s.lists.EndActionList();
         s.lists.CallActionList(0);
       }},
  };
  for (const ErrorCase& c : cases) {
    SCOPED_TRACE(c.message);
    OpenSystem s(10);
    s.AddMany(5);
    s.lists.GenActionLists(1);
    if (c.recording) s.lists.NewActionList(0);
    c.expect([&] { c.call(s); }, c.message);
  }
}

TEST(ErrorMessages, ARefusedCallChangesNothing) {
  OpenSystem s(10);
  s.AddMany(5);
  s.lists.GenActionLists(1);
  s.lists.NewActionList(0);
  s.actions.Move();
  EXPECT_THROW(s.groups.GenParticleGroups(3, 1), PError_t);
  EXPECT_THROW(s.lists.GenActionLists(3), PErrInNewActionList);
  EXPECT_THROW(s.lists.CallActionList(7), PErrActionList);
  EXPECT_THROW(s.groups.DeleteParticleGroups(0, 1), PError_t);
  s.lists.EndActionList();
  EXPECT_THROW(s.groups.CurrentGroup(1), PErrParticleGroup);
  EXPECT_THROW(s.lists.DeleteActionLists(0, 2), PErrActionList);
  EXPECT_EQ(s.state.groups.size(), 1u);
  EXPECT_EQ(s.state.currentGroup, 0);
  EXPECT_EQ(s.state.lists.size(), 1u);
  EXPECT_EQ(s.state.lists[0].size(), 1u);
  EXPECT_EQ(s.groups.GetGroupCount(), 5u);
}

}  // namespace
}  // namespace psimtest
