// Reading "unit.xml", the display tables and the per-map creature lists.
#include "units/UnitManager.h"

#include "game/DataFiles.h"
#include "game/GameLog.h"
#include "game/PlayerRecord.h"
#include "terrain/CoverageMap.h"
#include "units/Attribute.h"
#include "units/UnitNumbers.h"
#include "units/UnitPartDef.h"

#include <OgreException.h>
#include <OgreMesh.h>
#include <OgreMeshManager.h>
#include <OgreResourceGroupManager.h>
#include <OgreSkeletonManager.h>
#include <OgreTextureManager.h>
#include <tinyxml.h>

#include <functional>
#include <set>

static_assert(kUnlockIndexNone == kUnlockSlots, "unit types get one unlock flag each");

namespace {

// A creature list's kind from its name: "mob_..." or "npc_...".
struct CreatureListKind {
  const char* prefix;
  const char* topElement;
  const char* itemElement;
  const char* idAttribute;
};
const CreatureListKind kMobList = {"mob", "Units", "Unit", "CritterId"};
const CreatureListKind kNpcList = {"npc", "npc_accounts", "npc_account", "npc_id"};

const char* const kCreatureGroup = "General";

}  // namespace

void CGAUnitManager::LoadUnitXml(const std::string& file) {
  std::string text;
  if (ReadDataFile(file, Ogre::ResourceGroupManager::DEFAULT_RESOURCE_GROUP_NAME, true, text))
    ReadUnitXml(text, file);
}

void CGAUnitManager::ReadUnitXml(const std::string& text, const std::string& file) {
  TiXmlDocument document;
  if (!ParseDataXml(document, text, file)) return;
  const TiXmlElement* root = document.RootElement();
  if (!root) return;
  int counter = 0;
  for (const TiXmlElement* e = root->FirstChildElement("unit"); e; e = e->NextSiblingElement("unit")) {
    UnitTemplate* t = GetUnitTemplate(XmlAttr(e, "id"));
    if (!t) continue;
    for (const TiXmlElement* child = e->FirstChildElement(); child; child = child->NextSiblingElement()) {
      if (child->ValueStr() == "text") {
        if (child->GetText() && *child->GetText()) t->text = child->GetText();
      } else if (child->ValueStr() == "att") {
        // A slot number outside the 18 slots would write past them.
        const int slot = XmlInt(child, "type", file, -1);
        if (!CGAAttribute::IsSlot(slot)) {
          GameLog(XmlWhere(file, child) + "unit " + t->Name + ": att type \"" + XmlAttr(child, "type") +
                  "\" is not a slot (0 to 17); ignored");
          continue;
        }
        t->attributes.emplace_back(slot, XmlInt(child, "value", file));
      }
    }
    if (const char* lock = e->Attribute("lock_0")) t->lock_0 = lock;
    t->name = XmlAttr(e, "name");
    t->icon = XmlAttr(e, "icon");
    t->type = XmlInt(e, "type", file);
    t->hp = XmlInt(e, "hp", file);
    t->price = XmlInt(e, "price", file);
    t->need = XmlAttr(e, "need");
    t->release_dis = XmlInt(e, "release_dis", file);
    t->attack_time = XmlInt(e, "attack_time", file);
    t->attack_value = XmlInt(e, "attack_value", file);
    t->cooldownLeft = 0;
    t->ready = XmlInt(e, "ready", file);
    t->radius = XmlReal(e, "radius", file);
    t->speed = XmlReal(e, "speed", file);
    t->gold = TruncateToInt(XmlReal(e, "gold", file));
    // Read as 0: a negative cost would pay the player for a purchase.
    for (const auto& cost : {std::make_pair("price", &t->price), std::make_pair("unlock gold", &t->gold)})
      if (*cost.second < 0) {
        GameLog(XmlWhere(file, e) + "unit " + t->Name + ": negative " + cost.first + " " +
                std::to_string(*cost.second) + " read as 0");
        *cost.second = 0;
      }
    // Only the first 50 known types have an unlock flag; later ones share
    // index 50 and keep the unlocked state they had.
    t->index = counter;
    if (counter < kUnlockSlots) {
      t->unlocked = PlayerRecord.Unlocked[counter] != 0;
      ++counter;
    }
    if (t->gold == 0) t->unlocked = true;  // free types are always there
  }
}

void CGAUnitManager::ReadDisplayNames(const std::string& text, const std::string& file, const char* rootName,
                                      const char* itemName, std::map<std::string, std::string>& table) {
  TiXmlDocument document;
  if (!ParseDataXml(document, text, file)) return;
  const TiXmlElement* root = document.FirstChildElement(rootName);
  if (!root) {
    GameLog(file + ": has no \"" + rootName + "\" element; it is not read");
    return;
  }
  for (const TiXmlElement* e = root->FirstChildElement(itemName); e; e = e->NextSiblingElement(itemName)) {
    if (!e->Attribute("id") || !e->Attribute("display")) {
      GameLog(XmlWhere(file, e) + "a " + itemName + " without id or display is skipped");
      continue;
    }
    table[XmlAttr(e, "id")] = XmlAttr(e, "display");
  }
}

void CGAUnitManager::ReadCritterNames(const std::string& text, const std::string& file) {
  ReadDisplayNames(text, file, "critters", "critter", mCritterNames);
}

void CGAUnitManager::ReadNpcNames(const std::string& text, const std::string& file) {
  ReadDisplayNames(text, file, "npcs", "npc", mNpcNames);
}

void CGAUnitManager::LoadCritterNames() {
  std::string text;
  if (ReadDataFile("critter.xml", Ogre::ResourceGroupManager::DEFAULT_RESOURCE_GROUP_NAME, true, text))
    ReadCritterNames(text, "critter.xml");
}

void CGAUnitManager::LoadNpcNames() {
  std::string text;
  if (ReadDataFile("npc.xml", Ogre::ResourceGroupManager::DEFAULT_RESOURCE_GROUP_NAME, true, text))
    ReadNpcNames(text, "npc.xml");
}

std::vector<std::string> CGAUnitManager::ReadCreatureList(const std::string& text, const std::string& file) {
  const std::string prefix = file.substr(0, file.find('_'));
  const CreatureListKind* kind = nullptr;
  std::map<std::string, std::string>* table = nullptr;
  if (prefix == kNpcList.prefix) {
    kind = &kNpcList;
    table = &mNpcNames;
    if (table->empty()) LoadNpcNames();
  } else if (prefix == kMobList.prefix) {
    kind = &kMobList;
    table = &mCritterNames;
    if (table->empty()) LoadCritterNames();
  } else {
    return {};
  }
  TiXmlDocument document;
  if (!ParseDataXml(document, text, file)) return {};
  const TiXmlElement* top = document.FirstChildElement(kind->topElement);
  if (!top) {
    GameLog(file + ": has no \"" + kind->topElement + "\" element; no creature is preloaded");
    return {};
  }
  std::set<std::string> ids;  // distinct, in byte order
  for (const TiXmlElement* e = top->FirstChildElement(kind->itemElement); e;
       e = e->NextSiblingElement(kind->itemElement)) {
    if (const char* id = e->Attribute(kind->idAttribute)) ids.insert(id);
  }
  std::vector<std::string> names;
  for (const std::string& id : ids) {
    auto found = table->find(id);
    if (found == table->end()) {
      // Skipping only this id keeps the other creatures preloaded.
      GameLog(file + ": creature id " + id + " has no display name; it is not preloaded");
      continue;
    }
    names.push_back(found->second);
  }
  return names;
}

void CGAUnitManager::PreloadCreatureFile(const std::string& file, bool load) {
  if (file.empty() || !Ogre::ResourceGroupManager::getSingleton().resourceExists(kCreatureGroup, file)) return;
  std::string text;
  if (!ReadDataFile(file, Ogre::ResourceGroupManager::DEFAULT_RESOURCE_GROUP_NAME, true, text)) return;
  for (const std::string& name : ReadCreatureList(text, file)) {
    if (load)
      PreloadTemplateResources(name);
    else
      UnloadTemplateResources(name);
  }
}

void CGAUnitManager::PreloadTemplateResources(const std::string& templateName) {
  const UnitTemplate* t = templateName.empty() ? nullptr : GetUnitTemplate(templateName);
  if (!t) return;
  // A resource that cannot be loaded is logged; the others still load.
  auto preload = [&templateName](const std::string& resource, const std::function<void()>& load) {
    try {
      load();
    } catch (const Ogre::Exception& e) {
      GameLog("unit " + templateName + ": " + resource + " not preloaded (" + e.getDescription() + ")");
    }
  };
  auto& skeletons = Ogre::SkeletonManager::getSingleton();
  // Textures load only through a render system (none in headless runs).
  Ogre::TextureManager* textures =
      CGACoverageMap::TexturesAvailable() ? Ogre::TextureManager::getSingletonPtr() : nullptr;
  for (const auto& group : t->choiceParts) {
    for (const UnitPartDef* part : group.second) {
      const std::string& mesh = part->GetResName();
      if (!mesh.empty())
        preload(mesh, [&mesh, &skeletons] {
          Ogre::MeshPtr loaded = Ogre::MeshManager::getSingleton().load(
              mesh, kCreatureGroup, Ogre::HardwareBuffer::HBU_STATIC_WRITE_ONLY,
              Ogre::HardwareBuffer::HBU_STATIC_WRITE_ONLY, true, true);
          if (loaded->hasSkeleton()) skeletons.load(loaded->getSkeletonName(), kCreatureGroup);
        });
      const std::string& texture = part->GetTexture();
      if (!texture.empty() && textures)
        preload(texture, [&texture, textures] {
          textures->load(texture, kCreatureGroup, Ogre::TEX_TYPE_2D, Ogre::MIP_DEFAULT, 1.0f, Ogre::PF_UNKNOWN, false);
        });
    }
  }
  for (const std::string& file : t->skeletonFiles)
    preload(file, [&file, &skeletons] { skeletons.load(file, kCreatureGroup); });
}

void CGAUnitManager::UnloadTemplateResources(const std::string& templateName) {
  const UnitTemplate* t = templateName.empty() ? nullptr : GetUnitTemplate(templateName);
  if (!t) return;
  // Only what the engine knows: it refuses to unload a name it does not.
  auto unload = [](Ogre::ResourceManager& resources, const std::string& name) {
    if (Ogre::ResourcePtr resource = resources.getResourceByName(name, kCreatureGroup)) resource->unload();
  };
  auto& skeletons = Ogre::SkeletonManager::getSingleton();
  auto* textures = Ogre::TextureManager::getSingletonPtr();
  for (const auto& group : t->choiceParts) {
    for (const UnitPartDef* part : group.second) {
      Ogre::MeshPtr mesh = Ogre::MeshManager::getSingleton().getByName(part->GetResName(), kCreatureGroup);
      if (mesh) {
        if (mesh->hasSkeleton()) unload(skeletons, mesh->getSkeletonName());
        mesh->unload();
      }
      if (textures) unload(*textures, part->GetTexture());
    }
  }
  for (const std::string& file : t->skeletonFiles) unload(skeletons, file);
}
