#pragma once
// Owner of the unit types and of the live units built from them. Reads the
// unit template files ("*.unt"), "unit.xml" with the per-type numbers and
// unlock state, the display tables "critter.xml" and "npc.xml", and the
// per-map creature lists whose resources it preloads.
#include "units/UnitTemplate.h"

#include <OgreSingleton.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace Ogre {
class SceneManager;
}
class CGAUnit;
class TiXmlDocument;
class TiXmlElement;
class UnitAction;
class UnitPartDef;
class UnitWorld;

class CGAUnitManager : public Ogre::Singleton<CGAUnitManager> {
 public:
  explicit CGAUnitManager(Ogre::SceneManager* sceneManager);
  ~CGAUnitManager();

  // Where new units get their model, terrain, effects and sounds from.
  void SetUnitWorld(UnitWorld* world) { mWorld = world; }

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
  CGAUnit* FindUnit(const std::string& instanceName);
  const std::vector<CGAUnit*>& GetUnits() const { return mUnits; }
  void ClearUnits();

 private:
  // Reads a data file whole through the resource groups; false (with a log
  // line) when it cannot be opened.
  static bool ReadDataFile(const std::string& file, const std::string& group, bool searchOtherGroups,
                           std::string& text);
  void ReadDisplayNames(const std::string& text, const std::string& file, const char* rootName,
                        const char* itemName, std::map<std::string, std::string>& table);
  UnitAction* ParseAction(const TiXmlElement* action, const std::string& file);
  UnitPartDef* ParsePart(const TiXmlElement* part, const std::string& file);
  void BuildFromElement(CGAUnit& unit, UnitTemplate& unitType);

  int mUnitCounter = 0;
  std::map<std::string, UnitPartDef*> mPartDefs;  // from part files, which the game does not read
  std::map<std::string, UnitTemplate> mTemplates;
  std::vector<CGAUnit*> mUnits;
  Ogre::SceneManager* mSceneManager;
  UnitWorld* mWorld = nullptr;
  std::map<std::string, std::string> mNpcNames;
  std::map<std::string, std::string> mCritterNames;
  // Storage of what templates point at; kept for the manager's lifetime.
  std::vector<std::unique_ptr<TiXmlDocument>> mDocuments;
  std::vector<std::unique_ptr<UnitAction>> mActionStore;
  std::vector<std::unique_ptr<UnitPartDef>> mPartStore;
};
