#include "UnitTestSupport.h"

#include "platform/Random.h"
#include "units/UnitAction.h"

const char* const kSoldierTemplate = R"(<Units>
  <Unit Name="soldier" Scale="1">
    <Actions>
      <Action Name="ready"><ActionChild Time="0" Type="Anim" Name="stand" Speed="1" Loop="1"/></Action>
      <Action Name="run"><ActionChild Time="0" Type="Anim" Name="run" Speed="1" Loop="1"/></Action>
      <Action Name="attack">
        <ActionChild Time="0" Type="Anim" Name="attack" Speed="1" Loop="0"/>
        <ActionChild Time="0.1" Type="Effect" Name="hit" Bone=""/>
        <ActionChild Time="0.2" Type="Action" Name="ready" Target="0"/>
      </Action>
      <Action Name="injured"><ActionChild Time="0.2" Type="Action" Name="ready" Target="0"/></Action>
      <Action Name="die" Level="9"><ActionChild Time="0" Type="Anim" Name="die" Speed="1" Loop="0"/></Action>
    </Actions>
  </Unit>
</Units>)";

UnitFixture::UnitFixture() {
  platform::SeedRand(11);
  manager.SetUnitWorld(&world);
  world.manager = &manager;
  manager.ReadUnitTemplates(kSoldierTemplate, "soldier.unt");
  manager.ReadUnitXml(R"(<u><unit id="soldier" type="0" hp="100" price="10" gold="0" release_dis="4"
      attack_time="1000" attack_value="-10" radius="0.5" speed="2"/></u>)",
                      "unit.xml");
  SetFrame(0.015f);
}

UnitFixture::~UnitFixture() { manager.ClearUnits(); }

CGAUnit* UnitFixture::Make(float x, float z, int side, int type) {
  CGAUnit* unit = manager.CreateUnit("soldier");
  unit->SetType(type);
  unit->SetInt(kSlotSide, side);
  unit->SetPosition(Ogre::Vector3(x, 0, z));
  return unit;
}

void UnitFixture::Frames(int n) {
  for (int i = 0; i < n; ++i) {
    SetFrame(0.015f);
    manager.Update();
  }
}

std::string UnitFixture::ActionOf(CGAUnit* unit) {
  return unit->GetCurrentAction() ? unit->GetCurrentAction()->GetName() : "";
}
