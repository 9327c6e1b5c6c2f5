#pragma once
// Owner of the unit types and of the live units built from them. Reads the
// unit template files ("*.unt"), "unit.xml" with the per-type numbers and
// unlock state, the display tables "critter.xml" and "npc.xml", and the
// per-map creature lists whose resources it preloads. Keeps the live units
// in creation order and in a grid of 256 x 256 cells of 2 x 2 world units,
// updates them each frame, deletes finished ones a frame late, and answers
// placement tests, neighbourhood queries and picks.
#include "units/UnitTemplate.h"

#include <OgreSingleton.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

namespace Ogre {
class Ray;
class SceneManager;
class SceneNode;
}  // namespace Ogre
class CGAUnit;
class TiXmlDocument;
class TiXmlElement;
class UnitAction;
class UnitPartDef;
class UnitWorld;

// One cell of the unit grid: the units filed there (not owned).
struct UnitGridCell {
  int index = 0;
  std::vector<CGAUnit*> units;
};

class CGAUnitManager : public Ogre::Singleton<CGAUnitManager> {
 public:
  static constexpr int kGridSize = 256;     // cells per axis
  static constexpr float kCellSize = 2.0f;  // world units per cell

  // With a scene manager: the node "CGAUnitManager" that carries every
  // unit, and the picking shape from "collider.mesh".
  explicit CGAUnitManager(Ogre::SceneManager* sceneManager);
  ~CGAUnitManager();

  // Where new units get their model, terrain, effects and sounds from.
  void SetUnitWorld(UnitWorld* world) { mWorld = world; }
  UnitWorld* GetUnitWorld() const { return mWorld; }
  Ogre::SceneNode* GetNode() const { return mNode; }

  // The picking shape of every unit: triangle corners, three a triangle,
  // scaled by each unit's collide box and scale. Read from a mesh, or given.
  void LoadPickingShape(const std::string& mesh);
  void SetPickingShape(std::vector<Ogre::Vector3> corners) { mPickingShape = std::move(corners); }

  // Unit template files: every "*.unt" of the group, each Unit element of
  // each file. A second Unit of a known Name amends that template: its
  // actions replace the old ones, its parts and skeleton files are added.
  void LoadUnitTemplates(const std::string& group);
  void LoadUnitTemplateFile(const std::string& file, const std::string& group);
  // The same from the file's text (file names the source in log lines).
  void ReadUnitTemplates(const std::string& text, const std::string& file);
  void ParseUnitTemplate(const TiXmlElement* unit, const std::string& file);

  // "unit.xml": numbers, texts and unlock state of each known unit type, the
  // unlock flags taken from the current player record.
  void LoadUnitXml(const std::string& file);
  void ReadUnitXml(const std::string& text, const std::string& file);

  // Display tables: creature list id -> template name.
  void LoadCritterNames();
  void LoadNpcNames();
  void ReadCritterNames(const std::string& text, const std::string& file);
  void ReadNpcNames(const std::string& text, const std::string& file);
  const std::map<std::string, std::string>& GetCritterNames() const { return mCritterNames; }
  const std::map<std::string, std::string>& GetNpcNames() const { return mNpcNames; }

  // Per-map creature lists ("mob_" / "npc_" + map + ".unit" in group
  // "General"): loads (or unloads) the resources of every unit type named.
  void PreloadCreatureFile(const std::string& file, bool load);
  // The template names a creature list names, in ascending byte order of
  // their ids, each once; empty for a file that is no creature list.
  std::vector<std::string> ReadCreatureList(const std::string& text, const std::string& file);
  void PreloadTemplateResources(const std::string& templateName);
  void UnloadTemplateResources(const std::string& templateName);

  UnitTemplate* GetUnitTemplate(const std::string& name);
  const std::map<std::string, UnitTemplate>& GetUnitTemplates() const { return mTemplates; }

  // Live units. A template name no template bears gives a unit of the first
  // template by name; with no template at all, an error box and null.
  CGAUnit* CreateUnit(const std::string& templateName);
  CGAUnit* CreateUnitWithId(const std::string& templateName, uint64_t id);
  CGAUnit* CreateNamedUnit(const std::string& templateName, const std::string& instanceName);
  void AttachPart(CGAUnit* unit, const std::string& partName);

  // Part definition files, which the game itself never reads (its units'
  // parts come from the templates' choice groups). Each Part element of the
  // root becomes a definition under its PartName, replacing an earlier one
  // of that name; AttachPart prefers these to the template's groups.
  void LoadPartFiles(const std::string& group);
  void LoadPartFile(const std::string& file);
  void LoadMainPartFile(const std::string& file);  // the Part elements of "Main"
  void ParsePartDef(const TiXmlElement* part);
  // The most bones any one vertex of the mesh (in group "General") is bound
  // to; 0 when that is above 4, or for a mesh that cannot be loaded.
  int GetMaxBoneAssignment(const std::string& mesh);
  CGAUnit* FindUnit(const std::string& instanceName);
  CGAUnit* FindUnitById(uint64_t id);
  const std::vector<CGAUnit*>& GetUnits() const { return mUnits; }
  // Deletes every live unit at once (a level reset).
  void ClearUnits();
  // True until the unit is deleted. A new unit may take a deleted one's
  // address: holders that must know it is the same unit compare GetId too.
  bool IsLive(const CGAUnit* unit) const { return mAllocated.count(unit) != 0; }

  // Each frame: deletes the units that finished last frame (clearing every
  // target on them first), moves this frame's finished units to the delete
  // queue, refiles the others in the grid and updates them.
  void Update();
  // Whether the last update saw a live, unfinished unit of side 0 (an
  // attacker; dying ones count until they are removed).
  bool HasSideZeroUnits() const { return mEnemyPresent; }

  // Grid. A unit at world (x, z) is in cell (trunc(x / 2), trunc(z / 2));
  // cells off the grid are ignored by everything.
  static std::pair<int, int> CellOf(const Ogre::Vector3& position);
  void AddToCell(int x, int z, CGAUnit* unit);
  void RemoveFromCell(int x, int z, CGAUnit* unit);
  void RefileUnit(CGAUnit* unit);
  // The queries append, in cell order, the units standing on a logic cell
  // other than 0; they never clear the list.
  void GetCellUnits(std::vector<CGAUnit*>& out, int x, int z);
  void GetUnitsAround(std::vector<CGAUnit*>& out, int x, int z, int r);
  void GetUnitsInRect(std::vector<CGAUnit*>& out, int x, int z, int rx, int rz);

  // True when the unit may not stand where it is: a logic cell under its
  // footprint is not placeable, or a living unit of its side (or a passive
  // one) overlaps it.
  bool IsPlaceBlocked(CGAUnit* unit);
  // The unit under a ground point or a pick ray: not dying, fading, of side 0
  // or a preview; the first in creation order, but a later pick-up wins.
  CGAUnit* PickUnitAt(const Ogre::Vector3& point);
  CGAUnit* PickUnitByRay(const Ogre::Ray& ray);
  // Puts every unit that is not walking back on the ground (after a static
  // object joined it).
  void RefreshUnitHeights();

  // Never called by the game; complete nonetheless.
  void SetSelection(CGAUnit* unit);
  void FadeOutAllUnits();
  void FadeOutUnit(const std::string& instanceName);
  void FadeOutUnitById(uint64_t id);
  void AttachPartByName(const std::string& instanceName, const std::string& partName);
  void AttachWeapon(CGAUnit* unit, const std::string& partName, bool mainHand);
  CGAUnit* CreateMonster(int n, const std::string& instanceName);
  void ReloadUnitActions(CGAUnit* unit);
  static float GetUnitDistance(CGAUnit* a, CGAUnit* b);

 private:
  // Reads a data file whole through the resource groups; false (with a log
  // line) when it cannot be opened.
  static bool ReadDataFile(const std::string& file, const std::string& group, bool searchOtherGroups,
                           std::string& text);
  void ReadDisplayNames(const std::string& text, const std::string& file, const char* rootName,
                        const char* itemName, std::map<std::string, std::string>& table);
  UnitAction* ParseAction(const TiXmlElement* action, const std::string& file);
  UnitPartDef* ParsePart(const TiXmlElement* part, bool withEffectTextures = true);
  void ReadPartFile(const std::string& file, const char* rootName);
  CGAUnit* BuildUnit(const std::string& templateName, const std::string& instanceName, uint64_t id);
  void BuildFromElement(CGAUnit& unit, UnitTemplate& unitType);

  static bool IsPickable(CGAUnit& unit);
  UnitGridCell* CellAt(int x, int z);
  void DeleteUnit(CGAUnit* unit);

  int mUnitCounter = 0;
  std::map<std::string, UnitPartDef*> mPartDefs;  // from part files, which the game does not read
  std::map<std::string, UnitTemplate> mTemplates;
  std::vector<UnitGridCell> mGrid;  // cell (x, z) is element z * 256 + x
  std::vector<CGAUnit*> mUnits;
  std::vector<CGAUnit*> mDeleteQueue;
  std::unordered_set<const CGAUnit*> mAllocated;  // live and queued units
  Ogre::SceneManager* mSceneManager;
  Ogre::SceneNode* mNode = nullptr;
  CGAUnit* mSelection = nullptr;
  std::vector<Ogre::Vector3> mPickingShape;
  bool mEnemyPresent = false;
  std::vector<CGAUnit*> mNearby;  // scratch list of the placement test
  UnitWorld* mWorld = nullptr;
  std::map<std::string, std::string> mNpcNames;
  std::map<std::string, std::string> mCritterNames;
  // Storage of what templates point at; kept for the manager's lifetime.
  std::vector<std::unique_ptr<TiXmlDocument>> mDocuments;
  std::vector<std::unique_ptr<UnitAction>> mActionStore;
  std::vector<std::unique_ptr<UnitPartDef>> mPartStore;
};
