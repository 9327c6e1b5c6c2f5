#include "game/PlayerRecord.h"
#include "platform/Paths.h"
#include "tests/support/LogLines.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <random>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

SPlayerRecord Filled(int32_t base) {
  SPlayerRecord r;
  int32_t* words = reinterpret_cast<int32_t*>(&r);
  for (int i = 0; i < 54; ++i) words[i] = base + i;
  return r;
}

bool Same(const SPlayerRecord& a, const SPlayerRecord& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

void ExpectDefaults(const SPlayerRecord& r) {
  EXPECT_EQ(r.Reserved0, 0);
  EXPECT_EQ(r.Progress, 0);
  EXPECT_EQ(r.Reserved2, 0);
  EXPECT_EQ(r.Gold, 500);
  for (int flag : r.Unlocked) EXPECT_EQ(flag, 0);
}

class PlayerRecordFiles : public ::testing::Test {
 protected:
  TempDir dir;
  ScopedWorkingDir cwd{dir.path()};
};

TEST_F(PlayerRecordFiles, MissingFileGivesANewPlayer) {
  SPlayerRecord r = Filled(7);
  EXPECT_FALSE(ReadPlayerRecord("nobody", r));
  ExpectDefaults(r);
}

TEST_F(PlayerRecordFiles, SaveCreatesTheFolderAndRoundTripsAll216Bytes) {
  SPlayerRecord saved = Filled(1000);
  ASSERT_TRUE(WritePlayerRecord("bob", saved));
  EXPECT_EQ(std::filesystem::file_size("save/bob"), 216u);
  SPlayerRecord loaded;
  ASSERT_TRUE(ReadPlayerRecord("bob", loaded));
  EXPECT_TRUE(Same(saved, loaded));
  // Nothing but the record is left in the folder.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator("save"), std::filesystem::directory_iterator()), 1);
}

TEST_F(PlayerRecordFiles, AShortFileFillsWhatItHoldsAndALongOneGivesItsFirst216Bytes) {
  const SPlayerRecord stored = Filled(9);
  const std::string bytes(reinterpret_cast<const char*>(&stored), sizeof stored);
  for (size_t size : {16u, 6u, 215u, 217u, 4096u}) {
    dir.write("save/odd", (bytes + std::string(size > 216 ? size - 216 : 0, '\x7f')).substr(0, size));
    SPlayerRecord expected;
    ASSERT_FALSE(ReadPlayerRecord("nobody", expected));  // the defaults
    std::memcpy(&expected, bytes.data(), std::min<size_t>(size, sizeof expected));
    SPlayerRecord r = Filled(3);
    EXPECT_TRUE(ReadPlayerRecord("odd", r)) << size;
    EXPECT_TRUE(Same(r, expected)) << size;
  }
  // The Part's case: 16 bytes are indexes 0 to 3, every unlock flag stays 0.
  dir.write("save/short", bytes.substr(0, 16));
  SPlayerRecord r;
  ReadPlayerRecord("short", r);
  EXPECT_EQ(r.Progress, stored.Progress);
  EXPECT_EQ(r.Gold, stored.Gold);
  for (int flag : r.Unlocked) EXPECT_EQ(flag, 0);

  dir.write("save/empty", "");
  EXPECT_FALSE(ReadPlayerRecord("empty", r));
  ExpectDefaults(r);
}

// A save of gigabytes made the game read it all before the first picture.
TEST_F(PlayerRecordFiles, AHugeSaveIsNotReadPastItsRecord) {
  const SPlayerRecord stored = Filled(4);
  dir.write("save/big", std::string(reinterpret_cast<const char*>(&stored), sizeof stored));
  std::filesystem::resize_file("save/big", uint64_t(256) << 20);  // sparse: no disk space taken
  LogLines log;
  SPlayerRecord r;
  const uint64_t before = BytesReadSoFar();
  ASSERT_TRUE(ReadPlayerRecord("big", r));
  EXPECT_LT(BytesReadSoFar() - before, uint64_t(1) << 20);
  EXPECT_TRUE(Same(r, stored));
  EXPECT_TRUE(log.Has({"./save/big", "268435456 bytes", "the rest is ignored"})) << log.All();
}

// The files the game makes in the save folder (the temporary file of a save,
// an unreadable save set aside) once took names a player could have: saving
// "abc" went through player "abc.tmp"'s file, and setting aside an
// unreadable "abc" replaced player "abc.bad"'s record.
TEST_F(PlayerRecordFiles, TheGamesOwnFilesNeverTakeAPlayersFile) {
  for (const char* other : {"abc.tmp", "abc.bad", "abc.2.bad"}) ASSERT_TRUE(WritePlayerRecord(other, Filled(70)));
  ASSERT_TRUE(WritePlayerRecord("abc", Filled(10)));
  // Twice unreadable (something that is no file), twice set aside.
  for (int round = 0; round < 2; ++round) {
    std::filesystem::remove("save/abc");
    ASSERT_EQ(mkfifo("save/abc", 0644), 0);
    SPlayerRecord r;
    EXPECT_FALSE(ReadPlayerRecord("abc", r));
    ExpectDefaults(r);
    ASSERT_TRUE(WritePlayerRecord("abc", Filled(20)));
  }
  EXPECT_EQ(std::filesystem::status("save/.abc.bad").type(), std::filesystem::file_type::fifo);
  EXPECT_EQ(std::filesystem::status("save/.abc.2.bad").type(), std::filesystem::file_type::fifo);
  for (const char* other : {"abc.tmp", "abc.bad", "abc.2.bad"}) {
    SPlayerRecord r;
    ASSERT_TRUE(ReadPlayerRecord(other, r)) << other;
    EXPECT_TRUE(Same(r, Filled(70))) << other;
  }
  SPlayerRecord r;
  ASSERT_TRUE(ReadPlayerRecord("abc", r));
  EXPECT_TRUE(Same(r, Filled(20)));
}

// A save of progress and gold kept in a short file comes back whole after
// the game loads and saves it.
TEST_F(PlayerRecordFiles, LoadingAndSavingAShortFileLosesNothing) {
  SPlayerRecord old = {};
  old.Progress = 5;
  old.Gold = 9999;
  dir.write("save/p", std::string(reinterpret_cast<const char*>(&old), 16));
  SPlayerRecord r;
  ReadPlayerRecord("p", r);
  ASSERT_TRUE(WritePlayerRecord("p", r));
  SPlayerRecord again;
  ASSERT_TRUE(ReadPlayerRecord("p", again));
  EXPECT_EQ(again.Progress, 5);
  EXPECT_EQ(again.Gold, 9999);
}

TEST_F(PlayerRecordFiles, AnUnreadableSaveIsSetAsideNotOverwritten) {
  // A folder where the file should be: it exists but cannot be read as one.
  std::filesystem::create_directories("save/bob/inside");
  SPlayerRecord r = Filled(1);
  EXPECT_FALSE(ReadPlayerRecord("bob", r));
  ExpectDefaults(r);
  EXPECT_TRUE(std::filesystem::is_directory("save/.bob.bad/inside"));
  ASSERT_TRUE(WritePlayerRecord("bob", r));
  EXPECT_EQ(std::filesystem::file_size("save/bob"), 216u);
}

TEST_F(PlayerRecordFiles, ChineseNamesWork) {
  const std::string name = "玩家\\";  // a GBK name; the trailing backslash is a lone ASCII byte
  EXPECT_FALSE(IsValidPlayerName(name));
  const std::string chinese = "\xC4\\";  // a double-byte character whose second byte is '\'
  ASSERT_TRUE(IsValidPlayerName(chinese));
  ASSERT_TRUE(WritePlayerRecord("玩家", Filled(5)));
  ASSERT_TRUE(WritePlayerRecord(chinese, Filled(6)));
  SPlayerRecord r;
  ASSERT_TRUE(ReadPlayerRecord("玩家", r));
  EXPECT_TRUE(Same(r, Filled(5)));
}

TEST_F(PlayerRecordFiles, NamesThatLeaveTheSaveFolderAreRefused) {
  for (std::string name : {std::string(""), std::string("."), std::string(".."), std::string("../x"),
                           std::string("a/b"), std::string("a\\b"), std::string("\x81/.."),
                           std::string("tab\tname"), std::string("nul\0x", 5), std::string(".hidden"),
                           std::string(".bob.tmp")}) {
    EXPECT_FALSE(IsValidPlayerName(name)) << name;
    EXPECT_FALSE(WritePlayerRecord(name, Filled(1))) << name;
    SPlayerRecord r = Filled(2);
    EXPECT_FALSE(ReadPlayerRecord(name, r));
    ExpectDefaults(r);
  }
  EXPECT_FALSE(std::filesystem::exists("x"));
  EXPECT_TRUE(IsValidPlayerName("a..b"));
}

TEST_F(PlayerRecordFiles, FailedSaveIsReportedAndKeepsTheOldFile) {
  const SPlayerRecord old = Filled(1);
  ASSERT_TRUE(WritePlayerRecord("bob", old));
  // The new record cannot be written: a folder stands where it would go first.
  std::filesystem::create_directories(platform::TemporaryPathFor("save/bob") + "/in");
  LogLines log;
  EXPECT_FALSE(WritePlayerRecord("bob", Filled(2)));
  EXPECT_TRUE(log.Has({"Player record not saved: cannot write"})) << log.All();
  SPlayerRecord kept;
  ASSERT_TRUE(ReadPlayerRecord("bob", kept));
  EXPECT_TRUE(Same(kept, old));

  // No save folder can be made: reported too.
  std::filesystem::remove_all("save");
  dir.write("save", "not a folder");
  log.Clear();
  EXPECT_FALSE(WritePlayerRecord("bob", old));
  EXPECT_TRUE(log.Has({"cannot create folder"})) << log.All();
}

// A process killed at any point while saving leaves the old or the new record.
TEST_F(PlayerRecordFiles, KilledSavesLeaveOldOrNewRecord) {
  const SPlayerRecord a = Filled(100), b = Filled(200);
  ASSERT_TRUE(WritePlayerRecord("p", a));
  std::mt19937 random(42);
  for (int round = 0; round < 30; ++round) {
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      for (int i = 0;; ++i) WritePlayerRecord("p", i % 2 ? a : b);
    }
    usleep(200 + random() % 3000);
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    SPlayerRecord r;
    ASSERT_TRUE(ReadPlayerRecord("p", r)) << "round " << round;
    ASSERT_TRUE(Same(r, a) || Same(r, b)) << "round " << round;
  }
}

}  // namespace
