// Every reader of XML data refuses a file nested far deeper than the XML
// library can parse (it recurses once per level and would overflow the
// stack) and names the file in the log.
#include "game/DataFiles.h"
#include "screens/GUIAnimFile.h"
#include "screens/LevelFile.h"
#include "screens/PlayerList.h"
#include "screens/UnlockList.h"
#include "tests/support/LogLines.h"
#include "tests/support/TempDir.h"
#include "terrain/MapReader.h"
#include "terrain/TerrainManager.h"
#include "units/UnitManager.h"

#include <Ogre.h>
#include <gtest/gtest.h>
#include <tinyxml.h>

#include <functional>

namespace {

// A root holding elements `depth` deep (the root adds one level).
std::string Nested(const std::string& root, size_t depth) {
  std::string text = "<" + root + ">";
  for (size_t i = 0; i < depth; ++i) text += "<a>";
  for (size_t i = 0; i < depth; ++i) text += "</a>";
  return text + "</" + root + ">";
}

// The depth scan counts what the XML library nests: a scan that skipped
// more than the library (a quote it takes for text, a comment it parses)
// would let a deep file through to overflow the stack.
TEST(DeepXml, NestingDepthCountsWhatTheXmlLibraryNests) {
  struct Case {
    const char* text;
    size_t depth;
  };
  const Case cases[] = {
      {"", 0},
      {"<a/>", 0},
      {"<a></a>", 1},
      {"<a><b/><b></b><c><d x=\"1\"/></c></a>", 2},
      {"<?xml version=\"1.0\"?><!DOCTYPE a><a><!-- <b><b> --><![CDATA[<b><b>]]></a>", 1},
      {"<a x=\"/>\" y='>'><b/></a>", 1},     // quoted values hide "/>" and ">"
      {"<a x = \"<b><b>\"><c></c></a>", 2},  // a quote after '=' and blanks still opens a value
      {"<a>x\"<b>\"<c></c></b></a>", 3},     // quotes in text are text
      {"<a x=y\"><b>\"</b></a>", 2},         // a stray quote opens no value
      {"<a><1><b></b></a>", 2},              // "<1" is no element: skipped to its '>'
      {"<\xB0\xA1><\xB0\xA1></\xB0\xA1></\xB0\xA1>", 2},  // GBK names
      {"<a><b", 1},
  };
  for (const Case& c : cases) EXPECT_EQ(XmlNestingDepth(c.text), c.depth) << c.text;
}

TEST(DeepXml, FilesNestedTooDeepAreRefusedBeforeParsing) {
  TiXmlDocument fits;
  EXPECT_TRUE(ParseDataXml(fits, Nested("r", kMaxXmlDepth - 1), "fits.xml"));
  // Just past the bound, and deep enough to overflow the stack if parsed.
  for (size_t depth : {kMaxXmlDepth, size_t(100000)}) {
    TiXmlDocument doc;
    EXPECT_FALSE(ParseDataXml(doc, Nested("r", depth), "deep.xml")) << depth;
    EXPECT_EQ(doc.FirstChild(), nullptr);
  }
}

// The brushes an editor-mode terrain loads from group "Main".
void WriteBrushes(const TempDir& dir) {
  Ogre::Image brush(Ogre::PF_L8, 8, 8);
  for (const char* name : {"brush.png", "rect_brush.png"}) dir.write(name, brush.encode("png")->getAsString());
  auto& groups = Ogre::ResourceGroupManager::getSingleton();
  if (!groups.resourceGroupExists("Main")) groups.createResourceGroup("Main");
  groups.addResourceLocation(dir.path(), "FileSystem", "Main");
}

TEST(DeepXml, EveryReaderRefusesItNamingTheFile) {
  LogLines log;
  TempDir dir;
  ScopedWorkingDir inDir(dir.path());
  WriteBrushes(dir);
  CGAUnitManager units(nullptr);
  struct Reader {
    std::string file;
    std::string root;
    std::function<void(const std::string& text, const std::string& file)> read;
  };
  const Reader readers[] = {
      {"deep.map", "Scene",
       [](const std::string& text, const std::string& file) {
         CGAMapReader reader([&text](const std::string&) {
           return Ogre::DataStreamPtr(new Ogre::MemoryDataStream(const_cast<char*>(text.data()), text.size()));
         });
         CGAMapData map;
         EXPECT_FALSE(reader.Read(file, 16, map));
       }},
      {"deep.unt", "Units", [&units](const std::string& text, const std::string& file) {
         units.ReadUnitTemplates(text, file);
       }},
      {"unit.xml", "units", [&units](const std::string& text, const std::string& file) {
         units.ReadUnitXml(text, file);
       }},
      {"mob_deep.xml", "Units", [&units](const std::string& text, const std::string& file) {
         EXPECT_TRUE(units.ReadCreatureList(text, file).empty());
       }},
      {"level_1.xml", "levels",
       [](const std::string& text, const std::string& file) {
         std::vector<LevelRecord> levels;
         ParseLevelFile(text, file, levels);
         EXPECT_TRUE(levels.empty());
       }},
      {"gui_animation.xml", "GUIAnims", [](const std::string& text, const std::string& file) {
         EXPECT_TRUE(ParseGUIAnimFile(text, file).empty());
       }},
      {"lock.xml", "locks", [](const std::string& text, const std::string& file) {
         EXPECT_TRUE(ParseUnlockList(text, file).empty());
       }},
      {"record.xml", "record",
       [&dir](const std::string& text, const std::string& file) {
         dir.write(file, text);
         PlayerList players(file);
         players.Load();
         EXPECT_TRUE(players.Names().empty());
       }},
      {"editconfig.xml", "TerrainEditConfig",
       [&dir](const std::string& text, const std::string& file) {
         dir.write(file, text);
         CGATerrainManager editor(nullptr, true);
       }},
  };
  for (const Reader& reader : readers) {
    log.lines.clear();
    reader.read(Nested(reader.root, 100000), reader.file);
    EXPECT_TRUE(log.Has({reader.file, "nest deeper than"})) << reader.file << "\n" << log.All();
  }
  Ogre::ResourceGroupManager::getSingleton().removeResourceLocation(dir.path(), "Main");
}

}  // namespace
