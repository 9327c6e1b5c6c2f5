#include "game/PlayerRecord.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <random>
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
  EXPECT_FALSE(std::filesystem::exists("save/bob.tmp"));
}

TEST_F(PlayerRecordFiles, FileOfAnotherSizeLeavesTheDefaults) {
  for (size_t size : {0u, 16u, 215u, 217u, 4096u}) {
    dir.write("save/odd", std::string(size, '\x01'));
    SPlayerRecord r = Filled(3);
    EXPECT_FALSE(ReadPlayerRecord("odd", r)) << size;
    ExpectDefaults(r);
  }
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
                           std::string("tab\tname"), std::string("nul\0x", 5)}) {
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
  std::filesystem::create_directories("save/bob.tmp/in");
  testing::internal::CaptureStderr();
  EXPECT_FALSE(WritePlayerRecord("bob", Filled(2)));
  EXPECT_NE(testing::internal::GetCapturedStderr().find("Player record not saved: cannot write"), std::string::npos);
  SPlayerRecord kept;
  ASSERT_TRUE(ReadPlayerRecord("bob", kept));
  EXPECT_TRUE(Same(kept, old));

  // No save folder can be made: reported too.
  std::filesystem::remove_all("save");
  dir.write("save", "not a folder");
  testing::internal::CaptureStderr();
  EXPECT_FALSE(WritePlayerRecord("bob", old));
  EXPECT_NE(testing::internal::GetCapturedStderr().find("cannot create folder"), std::string::npos);
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
