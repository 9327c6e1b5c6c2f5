// The readers of the data files read their numbers the one way: a value
// beyond its field's range saturates to the range (a wave time meant as
// "never" stays never, hit points stay high) with a log line naming the file
// and line, instead of turning 0 or wrapping.
#include "screens/GUIAnimFile.h"
#include "screens/LevelFile.h"
#include "tests/support/LogLines.h"
#include "terrain/MapReader.h"
#include "units/UnitAction.h"
#include "units/UnitManager.h"

#include <Ogre.h>
#include <gtest/gtest.h>

#include <climits>

namespace {

TEST(DataNumbers, EveryReaderSaturatesAndLogsTheFileAndLine) {
  LogLines log;

  std::vector<LevelRecord> levels;
  ParseLevelFile("<levels>\n<level id=\"1\">\n<assaults>\n<assault time=\"99999999999\"/>\n"
                 "<assault time=\"5\"/></assaults></level></levels>",
                 "level_1.xml", levels);
  ASSERT_EQ(levels.size(), 1u);
  ASSERT_EQ(levels[0].assaults.size(), 2u);
  EXPECT_EQ(levels[0].assaults[0].time, INT_MAX);  // never
  EXPECT_EQ(levels[0].assaults[1].time, INT_MAX);
  EXPECT_TRUE(log.Has({"level_1.xml:4: time \"99999999999\" is out of range"})) << log.All();

  CGAUnitManager units(nullptr);
  units.ReadUnitTemplates("<Units>\n<Unit Name=\"giant\">\n<Actions><Action Name=\"walk\">\n"
                          "<ActionChild Type=\"Anim\" Time=\"0\" Name=\"run\" Speed=\"1e39\"/></Action></Actions>"
                          "</Unit></Units>",
                          "giant.unt");
  units.ReadUnitXml("<units>\n\n<unit id=\"giant\" hp=\"99999999999\" price=\"-99999999999\"/></units>", "unit.xml");
  UnitTemplate* giant = units.GetUnitTemplate("giant");
  ASSERT_NE(giant, nullptr);
  EXPECT_EQ(giant->hp, INT_MAX);
  EXPECT_EQ(giant->price, 0);  // INT_MIN, and a negative price reads as 0
  EXPECT_TRUE(log.Has({"unit.xml:3: hp \"99999999999\""})) << log.All();
  EXPECT_TRUE(log.Has({"unit.xml:3: price \"-99999999999\""})) << log.All();
  ASSERT_EQ(giant->actions.size(), 1u);
  EXPECT_EQ(giant->actions[0]->GetEvents()[0].speed, std::numeric_limits<float>::max());
  EXPECT_TRUE(log.Has({"giant.unt:4: Speed \"1e39\""})) << log.All();

  // The GUI library's own reading wrapped this to 1215752191.
  const std::vector<GUIAnimEntry> anims = ParseGUIAnimFile(
      "<GUIAnims>\n<Anim ID=\"a\" Image=\"i.png\" Size=\"w:8 h:1e39\" Start=\"x:0 y:0\" End=\"x:0 y:0\" "
      "LastTime=\"99999999999\"/></GUIAnims>",
      "gui_animation.xml");
  ASSERT_EQ(anims.size(), 1u);
  EXPECT_EQ(anims[0].lastTime, INT_MAX);
  EXPECT_EQ(anims[0].height, std::numeric_limits<float>::max());
  EXPECT_TRUE(log.Has({"gui_animation.xml:2: LastTime \"99999999999\""})) << log.All();
  EXPECT_TRUE(log.Has({"gui_animation.xml:2: Size \"1e39\""})) << log.All();

  const std::string map =
      "<Scene Name=\"m\" Width=\"16\" Height=\"16\" Step=\"1\" Scale=\"1\" StaticList=\"\" ObstacleData=\"\" "
      "Terrain=\"false\">\n<Ambient Color=\"1 1 1 1\"/><DirectionLight Direction=\"0 -1 0\" Color=\"1 1 1\"/>\n"
      "<Fog Mode=\"0\" Color=\"1 1 1\" Start=\"0\" End=\"1e39\" Density=\"0\"/>\n"
      "<StaticObjects><Object Name=\"p\" Position=\"1 0 1\" Scale=\"1e8 inf 1\" Quaternion=\"1 0 0 0\"/>"
      "</StaticObjects><BuildObjects/><Lights/><SceneEffect/></Scene>";
  CGAMapReader reader([&map](const std::string&) {
    return Ogre::DataStreamPtr(new Ogre::MemoryDataStream(const_cast<char*>(map.data()), map.size()));
  });
  CGAMapData data;
  ASSERT_TRUE(reader.Read("m.map", 16, data)) << log.All();
  EXPECT_EQ(data.Fog.End, std::numeric_limits<float>::max());
  ASSERT_EQ(data.Statics.size(), 1u);
  EXPECT_EQ(data.Statics[0].Scale, Ogre::Vector3(1e8f, std::numeric_limits<float>::max(), 1));
  EXPECT_TRUE(log.Has({"m.map:3: End \"1e39\""})) << log.All();
  EXPECT_TRUE(log.Has({"m.map:4: Scale \"inf\" is not finite"})) << log.All();
}

}  // namespace
