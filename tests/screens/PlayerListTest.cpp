#include "game/PlayerRecord.h"
#include "screens/PlayerList.h"
#include "tests/support/LogLines.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <tinyxml.h>

namespace fs = std::filesystem;

namespace {

class PlayerListFile : public ::testing::Test {
 protected:
  // What the file says: the current player and the players in order.
  std::pair<std::string, std::vector<std::string>> OnDisk() {
    TiXmlDocument doc;
    doc.Parse(ReadFileOrEmpty("record.xml").c_str(), nullptr, TIXML_ENCODING_LEGACY);
    EXPECT_FALSE(doc.Error()) << doc.ErrorDesc();
    const TiXmlElement* root = doc.FirstChildElement();
    if (!root) return {};
    std::vector<std::string> names;
    for (const TiXmlElement* e = root->FirstChildElement(); e; e = e->NextSiblingElement())
      names.push_back(e->ValueStr());
    const char* current = root->Attribute("player");
    return {current ? current : "?", names};
  }

  TempDir dir;
  ScopedWorkingDir cwd{dir.path()};
};

TEST_F(PlayerListFile, AMissingFileStartsAnEmptyListAndIsWritten) {
  PlayerList list;
  list.Load();
  EXPECT_EQ(list.Current(), "");
  EXPECT_TRUE(list.Names().empty());
  EXPECT_EQ(OnDisk().first, "");
  EXPECT_TRUE(OnDisk().second.empty());
}

TEST_F(PlayerListFile, CreateAppendsAndMakesCurrent) {
  dir.write("record.xml", "<record player=\"\"/>");
  PlayerList list;
  list.Load();
  EXPECT_TRUE(list.Add("abc"));
  EXPECT_TRUE(list.Add("Abc"));  // letter case counts: another player
  EXPECT_FALSE(list.Add("abc"));
  EXPECT_EQ(list.Current(), "Abc");
  const auto disk = OnDisk();
  EXPECT_EQ(disk.first, "Abc");
  EXPECT_EQ(disk.second, (std::vector<std::string>{"abc", "Abc"}));
}

TEST_F(PlayerListFile, ChooseRewritesTheCurrentPlayer) {
  dir.write("record.xml", "<players player=\"b\"><a/><b/><c/></players>");
  PlayerList list;
  list.Load();
  EXPECT_EQ(list.Current(), "b");
  EXPECT_EQ(list.Names(), (std::vector<std::string>{"a", "b", "c"}));
  list.SetCurrent("c");
  EXPECT_EQ(OnDisk().first, "c");
  EXPECT_EQ(OnDisk().second.size(), 3u);
}

TEST_F(PlayerListFile, DeletingTheCurrentPlayerLeavesNoCurrentPlayer) {
  dir.write("record.xml", "<record player=\"abc\"><abc/><bob/></record>");
  SPlayerRecord record = {};
  ASSERT_TRUE(WritePlayerRecord("abc", record));
  ASSERT_TRUE(WritePlayerRecord("bob", record));
  PlayerList list;
  list.Load();
  EXPECT_TRUE(list.Remove("abc"));
  EXPECT_EQ(list.Current(), "");
  EXPECT_EQ(OnDisk(), (std::pair<std::string, std::vector<std::string>>{"", {"bob"}}));
  EXPECT_FALSE(fs::exists(PlayerRecordPath("abc")));
  EXPECT_TRUE(fs::exists(PlayerRecordPath("bob")));

  // Another player's deletion keeps the current one.
  list.SetCurrent("bob");
  EXPECT_FALSE(list.Remove("nobody"));
  EXPECT_EQ(OnDisk().first, "bob");
}

TEST_F(PlayerListFile, ChineseNamesRoundTrip) {
  PlayerList list;
  list.Load();
  ASSERT_TRUE(list.Add("张三"));
  ASSERT_TRUE(list.Add("李四_2"));
  PlayerList again;
  again.Load();
  EXPECT_EQ(again.Current(), "李四_2");
  EXPECT_EQ(again.Names(), (std::vector<std::string>{"张三", "李四_2"}));
}

TEST_F(PlayerListFile, AnUnreadableFileIsKeptAside) {
  dir.write("record.xml", "<record player=\"a\"><a></record>");
  PlayerList list;
  list.Load();
  EXPECT_EQ(list.Current(), "");
  EXPECT_EQ(ReadFileOrEmpty("record.xml.bad"), "<record player=\"a\"><a></record>");
  EXPECT_EQ(OnDisk().first, "");

  dir.write("record.xml", "<record><a/></record>");  // no current player named
  list.Load();
  EXPECT_EQ(list.Current(), "");
  EXPECT_EQ(list.Names(), std::vector<std::string>{"a"});
}

TEST_F(PlayerListFile, TheFileIsReplacedNotRewrittenInPlace) {
  dir.write("record.xml", "<record player=\"\"/>");
  // A second name for the same file: an in-place rewrite would change it too.
  fs::create_hard_link("record.xml", "old-record.xml");
  PlayerList list;
  list.Load();
  list.Add("abc");
  EXPECT_EQ(ReadFileOrEmpty("old-record.xml"), "<record player=\"\"/>");
  EXPECT_NE(ReadFileOrEmpty("record.xml").find("<abc"), std::string::npos);
}

TEST_F(PlayerListFile, OlderListsLoadAsTheyStand) {
  // Written before names were checked: names the game no longer accepts, a
  // declaration, a comment, and a current player missing from the list.
  dir.write("record.xml",
            "<?xml version=\"1.0\" ?>\n<!-- players -->\n<root player=\"gone\"><x:y/><a.b/><Bob></Bob></root>");
  PlayerList list;
  list.Load();
  EXPECT_EQ(list.Current(), "gone");
  EXPECT_EQ(list.Names(), (std::vector<std::string>{"x:y", "a.b", "Bob"}));
  list.SetCurrent("x:y");
  PlayerList again;
  again.Load();
  EXPECT_EQ(again.Names().size(), 3u);
  // Such a name stays choosable, but as the current player read from the
  // file it meets the check that typed names meet.
  EXPECT_EQ(again.Current(), "");
}

// A name longer than the new-player box takes names a record file that
// cannot be written ("File name too long"): it is not listed, and the
// file keeps it.
TEST_F(PlayerListFile, NamesTooLongToSaveUnderAreNotListed) {
  LogLines log;
  const std::string sixteen = "张三张三张三张三张三张三张三张三";  // as long as the box allows
  const std::string tooLong(300, 'n');
  dir.write("record.xml", "<record player=\"a\">\n<a/>\n<" + tooLong + "/>\n<" + sixteen + "/><" + sixteen +
                              "x/></record>");
  PlayerList list;
  list.Load();
  EXPECT_EQ(list.Names(), (std::vector<std::string>{"a", sixteen}));
  EXPECT_TRUE(log.Has({"record.xml:3: ", "more than 16 characters", tooLong})) << log.All();
  EXPECT_TRUE(log.Has({"record.xml:4: ", sixteen + "x"})) << log.All();
  list.SetCurrent("a");
  EXPECT_EQ(OnDisk().second.size(), 4u);
}

TEST_F(PlayerListFile, ACurrentPlayerThatIsNoAllowedNameLeavesNoCurrentPlayer) {
  LogLines log;
  for (const std::string& current :
       {std::string("a&#0;b"), std::string("../x"), std::string("a&#10;"), std::string(17, 'n')}) {
    dir.write("record.xml", "<record player=\"" + current + "\"><a/></record>");
    PlayerList list;
    list.Load();
    EXPECT_EQ(list.Current(), "") << current;
    EXPECT_EQ(list.Names(), std::vector<std::string>{"a"});
    EXPECT_TRUE(log.Has({"record.xml", "no current player"})) << current;
    log.lines.clear();
  }
  dir.write("record.xml", "<record player=\"" + std::string(16, 'n') + "\"/>");
  PlayerList list;
  list.Load();
  EXPECT_EQ(list.Current(), std::string(16, 'n'));
}

TEST(PlayerName, OnlyNamesThatKeepTheFileReadable) {
  struct Case {
    std::string name;
    PlayerNameProblem problem;
  } cases[] = {
      {"abc", PlayerNameProblem::None},
      {"_x", PlayerNameProblem::None},
      {"a-1.b", PlayerNameProblem::None},
      {"张三", PlayerNameProblem::None},
      {"张3", PlayerNameProblem::None},
      {"", PlayerNameProblem::Empty},
      {"1abc", PlayerNameProblem::StartsWithDigit},
      {"a b", PlayerNameProblem::BadCharacter},
      {" a", PlayerNameProblem::BadCharacter},
      {"a<b", PlayerNameProblem::BadCharacter},
      {"a/b", PlayerNameProblem::BadCharacter},
      {"a\\b", PlayerNameProblem::BadCharacter},
      {"..", PlayerNameProblem::BadCharacter},
      {".a", PlayerNameProblem::BadCharacter},
      {"-a", PlayerNameProblem::BadCharacter},
      {"a:b", PlayerNameProblem::BadCharacter},
      {"a&b", PlayerNameProblem::BadCharacter},
      {"？", PlayerNameProblem::None},                // a double-byte character with a high second byte
      {"\x81\x5b", PlayerNameProblem::BadCharacter},  // second byte '[' would end the element name
      {"\x81\x5c", PlayerNameProblem::BadCharacter},  // second byte '\\'
      {"\x81\x41", PlayerNameProblem::None},          // second byte 'A'
      {"a\xd5", PlayerNameProblem::BadCharacter},     // a lead byte alone
      {std::string(16, 'a'), PlayerNameProblem::None},  // as many characters as the edit box holds
      {std::string(17, 'a'), PlayerNameProblem::TooLong},
      {"张三张三张三张三张三张三张三张三", PlayerNameProblem::None},  // 16 double-byte characters
      {"张三张三张三张三张三张三张三张三张", PlayerNameProblem::TooLong},
  };
  for (const Case& c : cases) EXPECT_EQ(CheckPlayerName(c.name), c.problem) << c.name;
}

TEST_F(PlayerListFile, EveryAllowedNameSurvivesTheFile) {
  PlayerList list;
  list.Load();
  const std::vector<std::string> names = {"abc", "张三", "\x81\x41z", "_1", "a.b-c"};
  for (const std::string& name : names) ASSERT_TRUE(list.Add(name)) << name;
  PlayerList again;
  again.Load();
  EXPECT_EQ(again.Names(), names);
}

}  // namespace
