#include "units/UnitManager.h"

#include "game/DataFiles.h"
#include "game/GameLog.h"
#include "game/Geometry.h"
#include "game/Parse.h"
#include "platform/Console.h"
#include "platform/MessageBox.h"
#include "platform/Random.h"
#include "terrain/CollisionManager.h"
#include "units/Unit.h"
#include "units/UnitAction.h"
#include "units/UnitModelBase.h"
#include "units/UnitNumbers.h"
#include "units/UnitPartDef.h"

#include <OgreException.h>
#include <OgreMeshManager.h>
#include <OgreResourceGroupManager.h>
#include <OgreSceneManager.h>
#include <tinyxml.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>

template <>
CGAUnitManager* Ogre::Singleton<CGAUnitManager>::msSingleton = nullptr;

CGAUnitManager::CGAUnitManager(Ogre::SceneManager* sceneManager)
    : mGrid(kGridSize * kGridSize), mSceneManager(sceneManager) {
  for (size_t i = 0; i < mGrid.size(); ++i) mGrid[i].index = static_cast<int>(i);
  if (!mSceneManager) return;
  mNode = mSceneManager->getRootSceneNode()->createChildSceneNode("CGAUnitManager", Ogre::Vector3::ZERO,
                                                                  Ogre::Quaternion::IDENTITY);
  LoadPickingShape("collider.mesh");
}

CGAUnitManager::~CGAUnitManager() {
  // The manager owns its units: left alive they would leak.
  for (CGAUnit* unit : mUnits) DeleteUnit(unit);
  for (CGAUnit* unit : mDeleteQueue) DeleteUnit(unit);
  if (mNode) mSceneManager->destroySceneNode(mNode);
}

void CGAUnitManager::LoadPickingShape(const std::string& mesh) {
  mPickingShape.clear();
  try {
    // Shadow buffers keep the vertex data readable.
    Ogre::MeshPtr shape = Ogre::MeshManager::getSingleton().load(
        mesh, Ogre::ResourceGroupManager::AUTODETECT_RESOURCE_GROUP_NAME, Ogre::HardwareBuffer::HBU_STATIC_WRITE_ONLY,
        Ogre::HardwareBuffer::HBU_STATIC_WRITE_ONLY, true, true);
    std::vector<Ogre::Vector3> vertices;
    std::vector<uint32_t> indices;
    CGACollisionManager::GetMeshInformation(*shape, vertices, indices, Ogre::Vector3::ZERO,
                                            Ogre::Quaternion::IDENTITY, Ogre::Vector3::UNIT_SCALE, "");
    for (uint32_t index : indices)
      if (index < vertices.size()) mPickingShape.push_back(vertices[index]);
  } catch (const Ogre::Exception& e) {
    GameLog(mesh + ": the picking shape of units cannot be read, so no unit can be picked by a ray (" +
            e.getDescription() + ")");
  }
}

void CGAUnitManager::DeleteUnit(CGAUnit* unit) {
  mAllocated.erase(unit);
  delete unit;
}

bool CGAUnitManager::ReadDataFile(const std::string& file, const std::string& group, bool searchOtherGroups,
                                  std::string& text) {
  if (!Ogre::ResourceGroupManager::getSingletonPtr()) {
    GameLog(file + ": cannot be opened (no resource system)");
    return false;
  }
  try {
    Ogre::DataStreamPtr stream =
        Ogre::ResourceGroupManager::getSingleton().openResource(file, group, nullptr, searchOtherGroups);
    if (!stream) {
      GameLog(file + ": cannot be opened");
      return false;
    }
    text = stream->getAsString();
    return true;
  } catch (const Ogre::Exception& e) {
    GameLog(file + ": cannot be opened (" + e.getDescription() + ")");
    return false;
  }
}

UnitTemplate* CGAUnitManager::GetUnitTemplate(const std::string& name) {
  auto found = mTemplates.find(name);
  return found == mTemplates.end() ? nullptr : &found->second;
}

CGAUnit* CGAUnitManager::CreateUnit(const std::string& templateName) {
  ++mUnitCounter;
  return CreateUnitWithId(templateName, static_cast<uint64_t>(static_cast<int64_t>(mUnitCounter)));
}

CGAUnit* CGAUnitManager::CreateUnitWithId(const std::string& templateName, uint64_t id) {
  CGAUnit* unit = BuildUnit(templateName, "Unit_" + std::to_string(id), id);
  if (unit) {
    unit->OnCreated();
    unit->SetId(id);
    return unit;
  }
  char idText[16];
  std::snprintf(idText, sizeof idText, "%x", static_cast<unsigned>(id & 0xffffffffu));
  platform::ShowMessageBox(templateName + " 配置中没有此怪物 请检查资源O(∩_∩)O！！ID:" + idText + " \n", "错误");
  return nullptr;
}

CGAUnit* CGAUnitManager::CreateNamedUnit(const std::string& templateName, const std::string& instanceName) {
  return BuildUnit(templateName, instanceName, 0);
}

CGAUnit* CGAUnitManager::BuildUnit(const std::string& templateName, const std::string& instanceName, uint64_t id) {
  if (CGAUnit* existing = FindUnit(instanceName)) {
    // The same name again brings the unit back as it is.
    platform::ConsolePrint("重建对象 \n");
    existing->SetAlpha(1.0f);
    existing->SetFadeOut(false, 1000);
    return existing;
  }
  auto found = mTemplates.find(templateName);
  if (found == mTemplates.end()) {
    if (mTemplates.empty()) return nullptr;
    found = mTemplates.begin();
  }
  if (!mWorld) {
    GameLog("unit " + instanceName + " cannot be created: the unit manager has no world");
    return nullptr;
  }
  UnitTemplate& unitType = found->second;
  CGAUnit* unit = new CGAUnit(*mWorld);
  // Live, under its id, before its first effects (the shadow, those of
  // "ready") tie themselves to it: they check that their owner is live.
  unit->SetId(id);
  mAllocated.insert(unit);
  unit->SetTagOffset(unitType.NamePosition);
  unit->SetName(instanceName);
  unit->SetTemplateName(found->first);
  unit->SetType(unitType.type);
  if (unitType.type != kUnitFighter) unit->GetModel()->AttachPartEffect("shadow", "shadow");
  unit->SetInt(kSlotMaxHp, unitType.hp);
  unit->SetInt(kSlotHp, unitType.hp);
  unit->SetInt(kSlotRange, unitType.release_dis);
  unit->SetInt(kSlotPeriod, unitType.attack_time);
  unit->SetInt(kSlotCountdown, 0);
  unit->SetInt(kSlotValue, unitType.attack_value);
  unit->SetInt(kSlotGold, unitType.gold);
  unit->SetInt(kSlotPrice, unitType.price);
  unit->SetRadius(unitType.radius);
  unit->SetSpeed(unitType.speed);
  unit->SetHeading(static_cast<float>(platform::Rand() % 360));
  for (const auto& slot : unitType.attributes) unit->SetInt(static_cast<unsigned>(slot.first), slot.second);
  BuildFromElement(*unit, unitType);
  for (UnitAction* action : unitType.actions) unit->AddAction(action);
  if (unitType.unitElement)
    if (const TiXmlElement* custom = unitType.unitElement->FirstChildElement("Custom"))
      for (const TiXmlElement* e = custom->FirstChildElement(); e; e = e->NextSiblingElement())
        unit->SetString(e->ValueStr(), e->GetText() ? e->GetText() : "");
  // Spawn effects come only from the events of "ready".
  unit->SetAction("ready");
  for (const std::string& file : unitType.skeletonFiles) unit->GetModel()->AddSkeletonFile(file);
  mUnits.push_back(unit);
  // Filed at once in the cell it remembers, (0, 0): a unit that stays there
  // would otherwise never be filed, as Update refiles only on a change.
  AddToCell(0, 0, unit);
  return unit;
}

// What unit creation reads from the template's Unit element.
void CGAUnitManager::BuildFromElement(CGAUnit& unit, UnitTemplate& unitType) {
  const TiXmlElement* element = unitType.unitElement;
  if (element) {
    const std::string& file = element->GetDocument()->ValueStr();  // the template file's name
    if (const TiXmlElement* e = element->FirstChildElement("SetTerrain"))
      unit.SetTerrainFollow(ParseBool(XmlAttr(e, "Terrain")));
    if (const TiXmlElement* e = element->FirstChildElement("SetPosition"))
      unit.SetPositionOffset(XmlVector3(e, "Position", file));
    if (const TiXmlElement* e = element->FirstChildElement("CollideBox"))
      unit.SetCollideBox(XmlVector3(e, "Scale", file));
    // A template without a Scale keeps the natural size.
    const float scale = XmlReal(element, "Scale", file, 1.0f);
    unit.SetScale(scale, scale, scale);
  }
  unit.SetTemplate(&unitType);
  if (!element) return;
  UnitModelBase* model = unit.GetModel();
  for (const TiXmlElement* e = element->FirstChildElement("Part"); e; e = e->NextSiblingElement("Part"))
    AttachPart(&unit, XmlAttr(e, "Name"));
  for (const TiXmlElement* e = element->FirstChildElement("Anim"); e; e = e->NextSiblingElement("Anim"))
    model->AddAnimGroup(XmlAttr(e, "Name"), XmlAttr(e, "AnimName"), XmlAttr(e, "Skeleton"), XmlAttr(e, "Sound"),
                        XmlAttr(e, "Effect"));
  model->SetBoneAlias("target", "Bip01 Spine");
  for (const TiXmlElement* e = element->FirstChildElement("Bone"); e; e = e->NextSiblingElement("Bone"))
    model->SetBoneAlias(XmlAttr(e, "Name"), XmlAttr(e, "BoneName"));
}

void CGAUnitManager::AttachPart(CGAUnit* unit, const std::string& partName) {
  auto found = mPartDefs.find(partName);
  if (found != mPartDefs.end())
    unit->AddPart(found->second);
  else
    unit->AddPartGroup(partName);
}

CGAUnit* CGAUnitManager::FindUnit(const std::string& instanceName) {
  for (CGAUnit* unit : mUnits)
    if (unit->GetName() == instanceName) return unit;
  return nullptr;
}

CGAUnit* CGAUnitManager::FindUnitById(uint64_t id) { return FindUnit("Unit_" + std::to_string(id)); }

void CGAUnitManager::ClearUnits() {
  // Every unit listed in the grid is listed in the cell it remembers: the
  // grid empties without a walk over all its cells.
  for (const std::vector<CGAUnit*>* units : {&mUnits, &mDeleteQueue})
    for (CGAUnit* unit : *units)
      if (UnitGridCell* cell = CellAt(unit->GetGridCell().first, unit->GetGridCell().second)) cell->units.clear();
  for (CGAUnit* unit : mUnits) DeleteUnit(unit);
  mUnits.clear();
  mSelection = nullptr;  // it was one of them
}

void CGAUnitManager::Update() {
  // Units that finished last frame: nothing may aim at them any more.
  if (!mDeleteQueue.empty()) {
    for (CGAUnit* gone : mDeleteQueue) {
      const std::pair<int, int> cell = gone->GetGridCell();
      RemoveFromCell(cell.first, cell.second, gone);
    }
    for (CGAUnit* unit : mUnits) {
      CGAUnit* target = unit->GetTarget();
      if (target && std::find(mDeleteQueue.begin(), mDeleteQueue.end(), target) != mDeleteQueue.end())
        unit->SetTarget(nullptr);
    }
    for (CGAUnit* gone : mDeleteQueue) DeleteUnit(gone);
    mDeleteQueue.clear();
  }

  mEnemyPresent = false;
  // By index: a unit's update may create units, which join the end.
  for (size_t i = 0; i < mUnits.size();) {
    CGAUnit* unit = mUnits[i];
    if (unit->IsFinished()) {
      mDeleteQueue.push_back(unit);
      mUnits.erase(mUnits.begin() + static_cast<std::ptrdiff_t>(i));
      if (mSelection == unit) mSelection = nullptr;
      continue;
    }
    if (unit->GetInt(kSlotSide) == 0) mEnemyPresent = true;
    RefileUnit(unit);
    unit->Update();
    ++i;
  }
}

// Members the game never calls ------------------------------------------------

void CGAUnitManager::SetSelection(CGAUnit* unit) {
  if (mSelection) mSelection->GetModel()->RemovePart("Selection");
  if (!unit || unit->IsInAction("die") || unit->IsFading()) return;
  mSelection = unit;
  unit->GetModel()->AttachPartEffect("Selection", "Selection");
}

void CGAUnitManager::FadeOutAllUnits() {
  if (mSelection) mSelection->GetModel()->RemovePart("Selection");
  mSelection = nullptr;
  for (CGAUnit* unit : mUnits) unit->SetFadeOut(true, 100);
}

void CGAUnitManager::FadeOutUnit(const std::string& instanceName) {
  if (CGAUnit* unit = FindUnit(instanceName)) unit->SetFadeOut(true, 1000);
}

void CGAUnitManager::FadeOutUnitById(uint64_t id) {
  if (CGAUnit* unit = FindUnitById(id)) unit->SetFadeOut(true, 1000);
}

void CGAUnitManager::AttachPartByName(const std::string& instanceName, const std::string& partName) {
  if (CGAUnit* unit = FindUnit(instanceName)) AttachPart(unit, partName);
}

void CGAUnitManager::AttachWeapon(CGAUnit* unit, const std::string& partName, bool mainHand) {
  auto found = mPartDefs.find(partName);
  if (unit && found != mPartDefs.end()) unit->AddWeapon(found->second, mainHand);
}

CGAUnit* CGAUnitManager::CreateMonster(int n, const std::string& instanceName) {
  return CreateNamedUnit("m" + std::to_string(n), instanceName);
}

void CGAUnitManager::ReloadUnitActions(CGAUnit* unit) {
  unit->ClearActions();
  if (UnitTemplate* unitType = GetUnitTemplate(unit->GetTemplateName()))
    for (UnitAction* action : unitType->actions) unit->AddAction(action);
}

float CGAUnitManager::GetUnitDistance(CGAUnit* a, CGAUnit* b) {
  if (!b) return 0.0f;
  const Ogre::Vector3 d = a->GetPosition() - b->GetPosition();
  return static_cast<float>(ApproxDistance(TruncateToInt(d.x), TruncateToInt(d.z)));
}
