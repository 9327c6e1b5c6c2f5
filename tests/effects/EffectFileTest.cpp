// The effect files: the index by name, creation and lazy loading, preloading,
// and the reader's elements, parameters and timed messages.
#include "EffectTestSupport.h"

#include "effects/EffectKeys.h"
#include "effects/EffectLimits.h"
#include "tests/support/LogLines.h"
#include "effects/EffectObject.h"
#include "tests/support/TempDir.h"

#include <OgreResourceGroupManager.h>
#include <OgreSceneNode.h>
#include <OgreLogManager.h>
#include <OgreStringConverter.h>
#include <tinyxml.h>

#include <fstream>
#include <typeinfo>
#include <limits>

namespace {

// The times and "type name" texts of a node's schedule.
std::vector<std::string> Schedule(const CGAEffectNode& node) {
  std::vector<std::string> out;
  for (const auto& [time, messages] : node.GetMessages())
    for (const EffectMessage& m : messages) {
      EffectMessage copy = m;
      out.push_back(Ogre::StringConverter::toString(time) + " " + copy.GetParam("type") + " " + copy.GetParam("name"));
    }
  return out;
}

class EffectFileTest : public EffectFixture {};

// Each repeat is logged with its place and the place of the one it replaces.
TEST_F(EffectFileTest, TheDefinitionReadLastWinsAcrossFilesAndWithinOne) {
  LogLines log;
  Define(R"(<EffectSystem EffectName="a"><SetLifeTime Time="1"/></EffectSystem>
            <EffectSystem EffectName="a"><SetLifeTime Time="2"/></EffectSystem>)");
  EXPECT_FLOAT_EQ(manager->CreateEffect("a")->GetLife(), 2.0f);
  EXPECT_TRUE(log.Has("test.eff:2: EffectName \"a\" defined again (before at test.eff:1)"));
  ASSERT_TRUE(manager->ReadEffectFile(R"(<X><EffectSystem EffectName="a"><SetLifeTime Time="3"/></EffectSystem></X>)",
                                      "later.eff"));
  EXPECT_FLOAT_EQ(manager->CreateEffect("a")->GetLife(), 3.0f);
  EXPECT_TRUE(log.Has("later.eff:1: EffectName \"a\" defined again (before at test.eff:2)"));
}

TEST_F(EffectFileTest, BadFilesAndDefinitionsWithoutNameAreSkippedWithALogLine) {
  LogLines log;
  EXPECT_FALSE(manager->ReadEffectFile("<Effects><EffectSystem", "broken.eff"));
  EXPECT_TRUE(log.Has("broken.eff"));
  EXPECT_TRUE(manager->ReadEffectFile(R"(<E><EffectSystem/><EffectSystem EffectName="b"/></E>)", "noname.eff"));
  EXPECT_TRUE(log.Has("noname.eff:1: <EffectSystem> without \"EffectName\" skipped"));
  // Nested deeper than the XML library's recursion can take.
  std::string deep;
  for (int i = 0; i < 100000; ++i) deep += "<EffectSystem>";
  EXPECT_FALSE(manager->ReadEffectFile(deep, "deep.eff"));
  EXPECT_TRUE(log.Has("deep.eff")) << "deep.eff";
  EXPECT_EQ(manager->GetEffectIndex().size(), 1u);
}

TEST_F(EffectFileTest, AnEffectOfAFileNotReadAtStartIsNullFirstThenLoaded) {
  TempDir dir;
  std::ofstream(dir.path() + "/lazy.eff") << R"(<E><EffectSystem EffectName="lazy"><SetLifeTime Time="4"/></EffectSystem>
                                             <EffectSystem EffectName="other"/></E>)";
  auto& groups = Ogre::ResourceGroupManager::getSingleton();
  groups.addResourceLocation(dir.path(), "FileSystem", Ogre::RGN_DEFAULT);
  EXPECT_EQ(manager->CreateEffect("lazy"), nullptr);
  CGAEffectNode* effect = manager->CreateEffect("lazy");
  ASSERT_NE(effect, nullptr);
  EXPECT_FLOAT_EQ(effect->GetLife(), 4.0f);
  // The whole file was indexed.
  EXPECT_NE(manager->CreateEffect("other"), nullptr);
  // A name no file defines stays null; with a parameter record no file is read.
  EXPECT_EQ(manager->CreateEffect("nowhere"), nullptr);
  EXPECT_EQ(manager->CreateEffect("nowhere"), nullptr);
  EffectMessage request;
  request.name = "nowhere";
  EXPECT_EQ(manager->CreateEffect(request), nullptr);
  groups.removeResourceLocation(dir.path(), Ogre::RGN_DEFAULT);
}

TEST_F(EffectFileTest, AFirstCreationPreloadsTheDefinitionOnceBeforeNamingTheNode) {
  Define(R"(<EffectSystem EffectName="a"><EffectNode><SetLifeTime Time="1"/></EffectNode></EffectSystem>)");
  const SceneCounts before = CountScene(scene);
  CGAEffectNode* first = manager->CreateEffect("a");
  // Preload used a name for its node and one for its child.
  EXPECT_EQ(first->GetName(), "Effect_3");
  EXPECT_EQ(manager->CreateEffect("a")->GetName(), "Effect_5");
  manager->DestroyAllEffects();
  EXPECT_TRUE(CountScene(scene) == before);
}

// Definitions that start each other (or themselves) preload once each
// instead of recursing without end.
TEST_F(EffectFileTest, PreloadingStopsAtADefinitionAlreadyVisited) {
  Define(R"(<EffectSystem EffectName="self"><Message><At Time="0"><M Type="effect" Name="self"/></At></Message>
            </EffectSystem>
            <EffectSystem EffectName="ping"><AutoDischargeEffect Time="1" Name="pong"/></EffectSystem>
            <EffectSystem EffectName="pong"><Message><At Time="0"><M Type="effect_release" Name="ping"/></At>
            </Message></EffectSystem>)");
  EXPECT_NE(manager->CreateEffect("self"), nullptr);
  EXPECT_NE(manager->CreateEffect("ping"), nullptr);
}

TEST_F(EffectFileTest, PreloadFollowsPlainEffectNamesOfMessagesButNotNamesWithABone) {
  Define(R"(<EffectSystem EffectName="a"><Message><At Time="1">
              <M Type="effect" Name="plain"/><M Type="effect_target_bone" Name="boned,Bip01"/>
            </At></Message></EffectSystem>
            <EffectSystem EffectName="plain"/><EffectSystem EffectName="boned"/>)");
  manager->CreateEffect("a");
  const auto& index = manager->GetEffectIndex();
  EXPECT_NE(index.at("plain")->GetUserData(), nullptr);
  EXPECT_EQ(index.at("boned")->GetUserData(), nullptr);
}

TEST_F(EffectFileTest, EffectNodeElementsMakeChildrenUnlessEmptyOrSwitchedOff) {
  Define(R"(<EffectSystem EffectName="a">
              <EffectNode><SetLifeTime Time="1"/></EffectNode>
              <EffectNode/>
              <EffectNode Enable="false"><SetLifeTime Time="1"/></EffectNode>
              <EffectNode Name="false"><SetLifeTime Time="1"/></EffectNode>
              <EffectNode Enable="False"><EffectNode><SetLifeTime Time="2"/></EffectNode></EffectNode>
            </EffectSystem>)");
  CGAEffectNode* effect = manager->CreateEffect("a");
  ASSERT_EQ(effect->GetChildren().size(), 2u);
  ASSERT_EQ(effect->GetChildren()[1]->GetChildren().size(), 1u);
  EXPECT_FLOAT_EQ(effect->GetChildren()[1]->GetChildren()[0]->GetLife(), 2.0f);
  EXPECT_EQ(effect->GetChildren()[0]->GetSceneNode()->getParent(), effect->GetSceneNode());
}

TEST_F(EffectFileTest, MessagesOfEqualTimesShareOneKeyInDocumentOrder) {
  Define(R"(<EffectSystem EffectName="a"><Message>
              <A Time="0.5"><M Type="dance" Name="1"/><M Type="sound3d" Name="hit.wav"/></A>
              <B Time="0.50"><M Type="sound2d" Name=""/></B>
              <C Time="0.6"><M Type="money"/></C>
              <D Time="-1"><M Type="anim" Name="x"/></D>
            </Message></EffectSystem>)");
  CGAEffectNode* effect = manager->CreateEffect("a");
  EXPECT_EQ(effect->GetMessages().size(), 3u);
  EXPECT_EQ(Schedule(*effect), (std::vector<std::string>{"-1 anim x", "0.5 dance 1", "0.5 sound3d hit.wav",
                                                         "0.5 sound2d ", "0.6 money "}));
}

// A message of an unknown type is stored like any other (dispatch passes
// over it); it used to be dropped while the file was read.
TEST_F(EffectFileTest, UnknownElementsAreSkippedAndUnknownMessageTypesKeptBothLoggedOnce) {
  LogLines log;
  Define(R"(<EffectSystem EffectName="a"><Wobble/><Message><A Time="0"><M Type="explode" Name="x"/>
            <M Type="dance" Name="1"/></A></Message><SetLifeTime/></EffectSystem>)");
  CGAEffectNode* effect = manager->CreateEffect("a");
  EXPECT_TRUE(log.Has("test.eff:1: unknown element <Wobble> skipped"));
  EXPECT_TRUE(log.Has("test.eff:1: unknown message type \"explode\": nothing acts on it"));
  EXPECT_TRUE(log.Has("<SetLifeTime> without \"Time\" skipped"));
  EXPECT_EQ(Schedule(*effect), (std::vector<std::string>{"0 explode x", "0 dance 1"}));
  EXPECT_TRUE(effect->IsEndless());
  Frame();
  EXPECT_TRUE(effect->GetMessages().empty());
  EXPECT_EQ(world.shakes, std::vector<float>{1.0f});
  // Only the preload reports: a second creation is quiet.
  log.lines.clear();
  manager->CreateEffect("a");
  EXPECT_TRUE(log.lines.empty());
}

// A "lua" message stores the whole text of the resource it names, or the
// name when there is none. Every effect built from the definition shares
// that one text: each used to hold two copies of its own (a 16.8 MB file
// and 20 effects took 687 MB).
TEST_F(EffectFileTest, ALuaMessageHoldsItsResourceTextSharedByEveryEffectOfTheDefinition) {
  TempDir dir;
  const std::string script(100000, 'x');
  std::ofstream(dir.path() + "/spell_script.lua") << script;
  auto& groups = Ogre::ResourceGroupManager::getSingleton();
  groups.addResourceLocation(dir.path(), "FileSystem", Ogre::RGN_DEFAULT);
  Define(R"(<EffectSystem EffectName="a"><Message><A Time="1">
              <M Type="lua" Name="spell_script.lua"/><M Type="lua" Name="no_such.lua"/>
            </A></Message></EffectSystem>)");
  std::vector<const char*> texts;
  for (int i = 0; i < 3; ++i) {
    CGAEffectNode* effect = manager->CreateEffect("a");
    const std::vector<EffectMessage>& messages = effect->GetMessages().at(1.0f);
    ASSERT_EQ(messages.size(), 2u);
    EffectMessage lua = messages[0], missing = messages[1];
    EXPECT_EQ(lua.GetParam("name"), script);
    EXPECT_EQ(lua.name.str().data(), lua.GetParam("name").data());
    EXPECT_EQ(missing.GetParam("name"), "no_such.lua");
    texts.push_back(lua.GetParam("name").data());
  }
  EXPECT_EQ(texts[1], texts[0]);
  EXPECT_EQ(texts[2], texts[0]);
  groups.removeResourceLocation(dir.path(), Ogre::RGN_DEFAULT);
}

// A script is small: a "lua" message naming a bigger file (the 16.8 MB font
// made a 16.8 MB message text) keeps its name, with a log line naming the
// effect file; a script of the largest size is still read.
TEST_F(EffectFileTest, ALuaMessageTakesNoFileBeyondAScriptsSize) {
  TempDir dir;
  std::ofstream(dir.path() + "/largest.lua") << std::string(kMaxScriptBytes, 'x');
  std::ofstream(dir.path() + "/font.ttf") << std::string(kMaxScriptBytes + 1, 'x');
  auto& groups = Ogre::ResourceGroupManager::getSingleton();
  groups.addResourceLocation(dir.path(), "FileSystem", Ogre::RGN_DEFAULT);
  LogLines log;
  Define(R"(<EffectSystem EffectName="a"><Message><A Time="1">
              <M Type="lua" Name="largest.lua"/><M Type="lua" Name="font.ttf"/>
            </A></Message></EffectSystem>)");
  CGAEffectNode* effect = manager->CreateEffect("a");
  groups.removeResourceLocation(dir.path(), Ogre::RGN_DEFAULT);
  ASSERT_TRUE(effect);
  const std::vector<EffectMessage>& messages = effect->GetMessages().at(1.0f);
  ASSERT_EQ(messages.size(), 2u);
  EffectMessage largest = messages[0], font = messages[1];
  EXPECT_EQ(largest.GetParam("name").size(), kMaxScriptBytes);
  const std::string kept = font.GetParam("name");
  EXPECT_EQ(kept.size(), 8u) << "the name, not the file's text";
  EXPECT_EQ(kept.substr(0, 8), "font.ttf");
  EXPECT_TRUE(log.Has({"test.eff:2: ", "\"font.ttf\"", "too big for a script"})) << log.All();
}

// Numbers past their field's range saturate like every data file's: an
// effect meant to last "forever" lasts, a position stays within the
// effects' bounds, and each such number is logged once, at its line, while
// the definition is preloaded.
TEST_F(EffectFileTest, NumbersPastTheirRangeSaturateAndAreLoggedWithTheirLine) {
  LogLines log;
  Define(R"(<EffectSystem EffectName="a"><SetLifeTime Time="1e99"/>
              <SetPosition Position="1 -1e40 3"/><Cast Type="99999999999"/>
              <SetNodeAnim Type="POS_X" Length="1" Loop="false" Linear="true"><K Value="1e39 0"/></SetNodeAnim>
            </EffectSystem>)");
  CGAEffectNode* effect = manager->CreateEffect("a");
  EXPECT_EQ(effect->GetLife(), std::numeric_limits<float>::max());
  EXPECT_EQ(effect->GetPosition(), Ogre::Vector3(1, -kMaxEffectDistance, 3));
  EXPECT_EQ(effect->GetCastType(), std::numeric_limits<int>::max());
  for (const char* line :
       {"test.eff:1: Time \"1e99\" is out of range", "test.eff:2: Position \"-1e40\" is out of range",
        "test.eff:2: Type \"99999999999\" is out of range", "test.eff:3: Value \"1e39\" is out of range",
        "test.eff:2: Position beyond 100000 in size; read as 1 -100000 3"})
    EXPECT_TRUE(log.Has(line)) << line;
  log.lines.clear();
  manager->CreateEffect("a");
  EXPECT_TRUE(log.lines.empty());
}

TEST_F(EffectFileTest, TransformsComeFromTheFileOrFromCreationParameters) {
  Define(R"(<EffectSystem EffectName="fixed"><SetPosition Position="1 2 3"/><SetScale Scale="2 2 2"/>
              <SetAngle Angle="0 90 0"/></EffectSystem>
            <EffectSystem EffectName="given"><SetPosition Position="position_at"/><SetScale Scale="scale"/>
              <SetAngle Angle="angle"/></EffectSystem>
            <EffectSystem EffectName="short"><SetPosition Position="1 2"/></EffectSystem>)");
  CGAEffectNode* fixed = manager->CreateEffect("fixed");
  EXPECT_EQ(fixed->GetPosition(), Ogre::Vector3(1, 2, 3));
  EXPECT_EQ(fixed->GetScale(), Ogre::Vector3(2, 2, 2));
  EXPECT_TRUE(fixed->GetOrientation().equals(Ogre::Quaternion(Ogre::Degree(90), Ogre::Vector3::UNIT_Y),
                                             Ogre::Degree(0.01f)));
  EffectMessage request;
  request.name = "given";
  request.SetParam("position_at", "4 5 6");
  request.SetParam("scale", "3 3 3");
  request.SetParam("angle", "0 1 0 0");
  CGAEffectNode* given = manager->CreateEffect(request);
  EXPECT_EQ(given->GetPosition(), Ogre::Vector3(4, 5, 6));
  EXPECT_EQ(given->GetScale(), Ogre::Vector3(3, 3, 3));
  EXPECT_EQ(given->GetOrientation(), Ogre::Quaternion(0, 1, 0, 0));
  EXPECT_EQ(given->GetSceneNode()->getParent(), manager->GetEffectRoot());
  // The game passes no parameters: zero position and scale, no rotation.
  CGAEffectNode* plain = manager->CreateEffect("given");
  EXPECT_EQ(plain->GetPosition(), Ogre::Vector3::ZERO);
  EXPECT_EQ(plain->GetScale(), Ogre::Vector3::ZERO);
  EXPECT_EQ(manager->CreateEffect("short")->GetPosition(), Ogre::Vector3::ZERO);
}

// A definition is read once, at its first build, and what was read is kept:
// every later build is the same as the first (only values named by creation
// parameters are looked up again), and the stored document is not read
// again, so changing it afterwards changes nothing.
std::string Describe(const CGAEffectNode& node) {
  std::string out = Ogre::StringConverter::toString(node.GetPosition()) + "|" +
                    Ogre::StringConverter::toString(node.GetScale()) + "|" +
                    Ogre::StringConverter::toString(node.GetOrientation()) + "|" +
                    Ogre::StringConverter::toString(node.GetLife()) + "|";
  for (const std::string& m : Schedule(node)) out += m + ";";
  for (const CGAEffectObject* object : node.GetObjects()) out += typeid(*object).name() + std::string(",");
  for (const CGAEffectNode* child : node.GetChildren()) out += "[" + Describe(*child) + "]";
  return out;
}

TEST_F(EffectFileTest, ADefinitionIsReadOnceAndEveryBuildOfItIsTheSame) {
  Define(R"(<EffectSystem EffectName="rich"><SetLifeTime Time="2.5"/><SetPosition Position="position"/>
      <SetScale Scale="1.5 2 2.5"/><SetAngle Angle="10 20 30"/>
      <SetNodeAnim Type="SCALE_XYZ" Length="1" Loop="true" Linear="true"><K Value="1 1 1 0"/><K Value="2 2 2 1"/></SetNodeAnim>
      <EffectBillboard><AddBillboard TextIndex="0" Ared="1 1 0" Position="0 1 0" Colour="1 0.5 0.2 1"/>
        <SetMaterialAnim Type="OPACITY" Length="0.3" Loop="false" Linear="true"><K Value="1 0"/><K Value="0 1"/></SetMaterialAnim>
      </EffectBillboard>
      <EffectParticleEX Type="Billboard" WorldAxis="true" Amount="5" Mesh="">
        <SourceSphere Rate="60" PositionA="0 1 0" In="0" Out="0.3"/><SetColour Colour="1 0.85 0.3 1"/>
        <Gravity Direction="0 -4 0"/><SetAge Age="0.8"/></EffectParticleEX>
      <EffectNode><SetPosition Position="0 3 0"/><Message><A Time="0.5"><M Type="sound3d" Name="hit.wav"/></A></Message>
      </EffectNode>
      <Message><A Time="0.1"><M Type="skill_0" Name="0,0,0,0,0,0"/></A></Message></EffectSystem>)");
  auto build = [&](const char* at) {
    EffectMessage request;
    request.name = "rich";
    request.SetParam("position", at);
    return Describe(*manager->CreateEffect(request));
  };
  const std::string first = build("1 2 3");
  EXPECT_NE(first.find("1 2 3|1.5 2 2.5|"), std::string::npos) << first;
  EXPECT_EQ(build("1 2 3"), first);
  // The creation parameter is still read per build.
  const std::string elsewhere = build("7 8 9");
  EXPECT_NE(elsewhere.find("7 8 9|1.5 2 2.5|"), std::string::npos) << elsewhere;
  EXPECT_EQ(elsewhere.substr(elsewhere.find('|')), first.substr(first.find('|')));
  // The document changed after the first build: nothing of it is read again.
  TiXmlElement* stored = manager->GetEffectIndex().at("rich");
  stored->FirstChildElement("SetLifeTime")->SetAttribute("Time", "9");
  stored->FirstChildElement("SetScale")->SetAttribute("Scale", "5 5 5");
  EXPECT_EQ(build("1 2 3"), first);
}

TEST_F(EffectFileTest, KeyListsReadTheirNumbersAndLeaveOutShortKeys) {
  TiXmlDocument doc;
  doc.Parse(R"(<A><K Value="1 0"/><Key Value=" 2	0.5
                 9"/><K Value="3"/><K Value="4 5 6 0.25"/><K/></A>)");
  int rejected = 0;
  EXPECT_EQ(ReadScalarKeys(doc.RootElement()->FirstChildElement(), &rejected),
            (ScalarKeys{{1, 0}, {2, 0.5f}, {4, 5}}));
  EXPECT_EQ(rejected, 2);
  rejected = 0;
  EXPECT_EQ(ReadVectorKeys(doc.RootElement()->FirstChildElement(), &rejected), (VectorKeys{{4, 5, 6, 0.25f}}));
  EXPECT_EQ(rejected, 4);
  TiXmlDocument points;
  points.Parse(R"(<A><K Value="1 2 0.5"/><K Value="1 2"/><K Value="1 2 3 4" Time="0.5"/></A>)");
  EXPECT_EQ(ReadPointKeys(points.RootElement()->FirstChildElement()),
            (PointKeys{{1, 2, 0.5f}, Ogre::Vector3::ZERO, Ogre::Vector3::ZERO}));
  const std::vector<TimedKey> timed = ReadTimedKeys(points.RootElement()->FirstChildElement());
  ASSERT_EQ(timed.size(), 3u);
  EXPECT_EQ(timed[0].value, Ogre::Vector4::ZERO);
  EXPECT_EQ(timed[2].value, Ogre::Vector4(1, 2, 3, 4));
  EXPECT_FLOAT_EQ(timed[2].time, 0.5f);
}

}  // namespace
