#include "game/GAPAK/PakArchive.h"
#include "game/GAPAK/PakWriter.h"
#include "tests/support/HeadlessEngine.h"
#include "tests/support/LogLines.h"
#include "tests/support/TempDir.h"

#include <Ogre.h>
#include <gtest/gtest.h>

#include <fstream>

namespace {

struct PakFixture : ::testing::Test {
  static void SetUpTestSuite() {
    HeadlessEngine();
    static Ogre::PakArchiveFactory factory;
    static bool registered = false;
    if (!registered) Ogre::ArchiveManager::getSingleton().addArchiveFactory(&factory);
    registered = true;
  }

  std::string Write(const std::vector<PakSource>& entries) {
    std::string error;
    std::string path = dir.file("test" + std::to_string(++count) + ".pak");
    EXPECT_TRUE(WritePak(path, entries, error)) << error;
    return path;
  }

  std::unique_ptr<Ogre::PakArchive> Load(const std::string& path) {
    auto pak = std::make_unique<Ogre::PakArchive>(path, "Pak");
    pak->load();
    return pak;
  }

  // A raw entry header, for paks the writer would never make.
  static std::string Header(const std::string& name, uint32_t offset, uint32_t size) {
    std::string h(72, '\0');
    std::copy(name.begin(), name.begin() + std::min<size_t>(name.size(), 64), h.begin());
    for (int i = 0; i < 4; ++i) {
      h[64 + i] = static_cast<char>((offset >> (8 * i)) & 0xff);
      h[68 + i] = static_cast<char>((size >> (8 * i)) & 0xff);
    }
    return h;
  }

  TempDir dir;
  int count = 0;
};

TEST_F(PakFixture, MixedCaseNamesThroughTheResourceSystem) {
  std::string big(100000, '\0');
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7);
  std::string path = Write({{"Units/Footman.XML", "<unit/>"}, {"Big.bin", big}, {"empty.txt", ""}});

  auto& groups = Ogre::ResourceGroupManager::getSingleton();
  groups.createResourceGroup("PakCase");
  groups.addResourceLocation(path, "Pak", "PakCase");
  Ogre::StringVectorPtr names = groups.listResourceNames("PakCase");
  EXPECT_EQ(*names, (Ogre::StringVector{"Big.bin", "empty.txt", "Units/Footman.XML"}));

  EXPECT_EQ(groups.openResource("Units/Footman.XML", "PakCase")->getAsString(), "<unit/>");
  Ogre::DataStreamPtr s = groups.openResource("Big.bin", "PakCase");
  EXPECT_EQ(s->size(), big.size());
  EXPECT_EQ(s->getAsString(), big);

  Ogre::StringVectorPtr found = groups.findResourceNames("PakCase", "*.xml");
  EXPECT_EQ(*found, Ogre::StringVector{"Units/Footman.XML"});
  // The engine's resource index is case-sensitive (a strict build); the pak
  // itself finds an entry in any letter case.
  Ogre::Archive* pak = groups.getResourceLocationList("PakCase").front().archive;
  for (const char* asked : {"Units/Footman.XML", "units/footman.xml", "UNITS/FOOTMAN.xml"}) {
    EXPECT_TRUE(pak->exists(asked)) << asked;
    EXPECT_EQ(pak->open(asked)->getAsString(), "<unit/>") << asked;
  }
  groups.destroyResourceGroup("PakCase");
}

TEST_F(PakFixture, LaterEntryWinsOverACaseTwin) {
  auto pak = Load(Write({{"Same.txt", "first"}, {"SAME.TXT", "second"}}));
  EXPECT_EQ(pak->list()->size(), 1u);
  EXPECT_EQ(pak->open("same.txt")->getAsString(), "second");
  EXPECT_EQ(pak->getModifiedTime("same.txt"), 0);
  EXPECT_TRUE(pak->list(true, true)->empty());
}

TEST_F(PakFixture, ReadsStopAtTheEntryEnd) {
  auto pak = Load(Write({{"a.txt", "line one\r\nline two"}, {"b.txt", "NEXT ENTRY"}, {"z", ""}}));
  Ogre::DataStreamPtr a = pak->open("a.txt");
  char buffer[256];
  EXPECT_EQ(a->readLine(buffer, 255), 8u);
  EXPECT_STREQ(buffer, "line one");
  EXPECT_EQ(a->readLine(buffer, 255), 8u);
  EXPECT_STREQ(buffer, "line two");
  EXPECT_TRUE(a->eof());
  EXPECT_EQ(a->read(buffer, 100), 0u);

  a->seek(5);
  EXPECT_EQ(a->read(buffer, sizeof buffer), 13u);  // not into "NEXT ENTRY"
  a->seek(0);
  EXPECT_EQ(a->getAsString(), "line one\r\nline two");
  a->seek(2);
  a->skip(3);
  EXPECT_EQ(a->tell(), 5u);

  Ogre::DataStreamPtr z = pak->open("z");
  EXPECT_EQ(z->size(), 0u);
  EXPECT_TRUE(z->eof());
}

TEST_F(PakFixture, ReadLineKeepsTheRestOfALongLine) {
  auto pak = Load(Write({{"l", "abcdef\nxy"}}));
  Ogre::DataStreamPtr s = pak->open("l");
  char buffer[16];
  EXPECT_EQ(s->readLine(buffer, 4), 4u);
  EXPECT_STREQ(buffer, "abcd");
  EXPECT_EQ(s->readLine(buffer, 4), 2u);
  EXPECT_STREQ(buffer, "ef");
  EXPECT_EQ(s->readLine(buffer, 4), 2u);
  EXPECT_STREQ(buffer, "xy");
  EXPECT_THROW(s->readLine(buffer, 4, ""), Ogre::InvalidParametersException);
}

TEST_F(PakFixture, MissingNamesAndFilesThrowNamingThePak) {
  std::string path = Write({{"a", "x"}});
  auto pak = Load(path);
  try {
    pak->open("b");
    FAIL();
  } catch (const Ogre::FileNotFoundException& e) {
    EXPECT_NE(e.getDescription().find(path), std::string::npos);
  }
  Ogre::PakArchive missing(dir.file("none.pak"), "Pak");
  EXPECT_THROW(missing.load(), Ogre::FileNotFoundException);
}

TEST_F(PakFixture, CorruptIndexes) {
  // A trailing partial header is ignored.
  std::string partial = dir.write("partial.pak", Header("a", 0, 1) + "x" + std::string(40, 'h'));
  EXPECT_EQ(Load(partial)->list()->size(), 1u);

  // An offset pointing back (it would loop for ever) is refused.
  std::string loop = dir.write("loop.pak", Header("a", 0, 0) + Header("b", 0, 0) + Header("c", 144, 0));
  EXPECT_EQ(*Load(loop)->list(), (Ogre::StringVector{"a", "c"}));
  // So is one whose data would also run past the end: it is not kept as a
  // pak cut short.
  std::string pastTheEnd = dir.write("misplaced_cut.pak", Header("a", 0, 1) + "x" + Header("b", 0, 1000));
  EXPECT_EQ(*Load(pastTheEnd)->list(), (Ogre::StringVector{"a"}));

  // A name without a NUL in its 64 bytes is read as 63 bytes.
  std::string longName(64, 'n');
  std::string unterminated = dir.write("long.pak", Header(longName, 0, 2) + "ok");
  auto pak = Load(unterminated);
  EXPECT_EQ(pak->list()->front(), std::string(63, 'n'));
  EXPECT_EQ(pak->open(std::string(63, 'N'))->getAsString(), "ok");
}

// A pak cut short (here by 10 bytes) keeps every entry: the cut one reads
// what the file holds, with a log line naming the pak and the entry, and the
// resource system takes the pak as a location.
TEST_F(PakFixture, APakCutShortReadsItsLastEntryShort) {
  LogLines log;
  const std::string whole = Write({{"a.wav", "first entry"}, {"B.wav", "second entry, cut"}});
  std::string bytes = ReadFileOrEmpty(whole);
  const std::string cut = dir.write("cut.pak", bytes.substr(0, bytes.size() - 10));
  auto& groups = Ogre::ResourceGroupManager::getSingleton();
  groups.createResourceGroup("PakCut");
  groups.addResourceLocation(cut, "Pak", "PakCut");
  EXPECT_EQ(*groups.listResourceNames("PakCut"), (Ogre::StringVector{"a.wav", "B.wav"}));
  EXPECT_EQ(groups.openResource("a.wav", "PakCut")->getAsString(), "first entry");
  Ogre::DataStreamPtr b = groups.openResource("B.wav", "PakCut");
  EXPECT_EQ(b->size(), 7u);
  EXPECT_EQ(b->getAsString(), "second ");
  EXPECT_TRUE(log.Has({cut, "'B.wav'", "7 of its 17 bytes"})) << log.All();
  groups.destroyResourceGroup("PakCut");

  // An entry whose data starts past the end holds nothing.
  auto pak = Load(dir.write("past.pak", Header("a", 0, 1) + "x" + Header("b", 73, 1000)));
  EXPECT_EQ(pak->open("a")->getAsString(), "x");
  EXPECT_EQ(pak->open("b")->size(), 0u);
}

// Headers and data alternate, and each header holds its own position. A
// header pointing elsewhere made its entry serve another entry's bytes and
// header, and sent the index into that entry's data, where a header-like
// run of bytes became an entry of its own. Such an entry is refused with a
// log line naming the pak and the entry; the entries after it stay, and a
// refused entry replaces no earlier one of its name.
TEST_F(PakFixture, AnEntryWhoseHeaderIsNotWhereItSaysIsRefused) {
  LogLines log;
  // a.txt at 0; "A.txt" at 82 says 0, its data holds a header for 172; c.txt at 254.
  const std::string phantom = Header("ghost", 172, 10) + std::string(10, 'g');
  const std::string bytes = Header("a.txt", 0, 10) + "first-data" + Header("A.txt", 0, 100) +
                            std::string(18, 'b') + phantom + Header("c.txt", 254, 6) + "last!!";
  ASSERT_EQ(bytes.size(), 254u + 72 + 6);
  const std::string path = dir.write("offsets.pak", bytes);
  auto pak = Load(path);
  EXPECT_EQ(*pak->list(), (Ogre::StringVector{"a.txt", "c.txt"}));
  EXPECT_EQ(pak->open("a.txt")->getAsString(), "first-data");
  EXPECT_EQ(pak->open("c.txt")->getAsString(), "last!!");
  EXPECT_TRUE(log.Has({path, "'A.txt' refused", "at 82", "position 0"})) << log.All();
  EXPECT_FALSE(log.Has("ghost")) << log.All();
}

TEST_F(PakFixture, PackFolderNamesFilesByRelativePath) {
  dir.write("data/Gui/Start.layout", "layout");
  dir.write("data/cursor.cur", "cur");
  std::string error;
  ASSERT_TRUE(PackFolder(dir.file("data"), dir.file("out.pak"), error)) << error;
  auto pak = Load(dir.file("out.pak"));
  EXPECT_EQ(*pak->list(), (Ogre::StringVector{"cursor.cur", "Gui/Start.layout"}));
  EXPECT_EQ(pak->open("gui/start.layout")->getAsString(), "layout");
  EXPECT_FALSE(PackFolder(dir.file("missing"), dir.file("x.pak"), error));
  EXPECT_FALSE(WritePak(dir.file("y.pak"), {{std::string(64, 'a'), ""}}, error));
}

}  // namespace
