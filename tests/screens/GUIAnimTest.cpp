#include "screens/GUIAnim.h"
#include "screens/GUIAnimFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

GUIAnimEntry Grid(float startX, float startY, float endX, float endY, float w = 32, float h = 32) {
  GUIAnimEntry entry;
  entry.id = "a";
  entry.width = w;
  entry.height = h;
  entry.startX = startX;
  entry.startY = startY;
  entry.endX = endX;
  entry.endY = endY;
  return entry;
}

std::vector<GUIAnimFramePos> Cut(const GUIAnimEntry& entry, bool expectAccepted = true) {
  std::vector<GUIAnimFramePos> frames;
  EXPECT_EQ(CutGUIAnimFrames(entry, "gui_animation.xml", frames), expectAccepted);
  return frames;
}

TEST(GUIAnimFile, FramesGoRowByRowAndEndIsInclusive) {
  const auto frames = Cut(Grid(0, 0, 64, 32));
  ASSERT_EQ(frames.size(), 6u);
  const float expected[6][2] = {{0, 0}, {32, 0}, {64, 0}, {0, 32}, {32, 32}, {64, 32}};
  for (size_t i = 0; i < 6; ++i) {
    EXPECT_EQ(frames[i].x, expected[i][0]) << i;
    EXPECT_EQ(frames[i].y, expected[i][1]) << i;
  }
  EXPECT_EQ(Cut(Grid(16, 16, 16, 16)).size(), 1u);  // Start = End: one frame
  EXPECT_TRUE(Cut(Grid(64, 0, 0, 0)).empty());      // End before Start: none
  EXPECT_TRUE(Cut(Grid(0, 64, 0, 0)).empty());
}

TEST(GUIAnimFile, GridsThatNeverEndAreRefused) {
  const float inf = std::numeric_limits<float>::infinity();
  for (const GUIAnimEntry& entry :
       {Grid(0, 0, 64, 64, 0, 32), Grid(0, 0, 64, 64, 32, -1), Grid(0, 0, inf, 0), Grid(0, 0, 0, inf),
        Grid(0, 0, 100000, 100000, 1, 1), Grid(1e9f, 0, 2e9f, 0, 1, 1), Grid(0, 0, 64, 64, std::nanf(""), 32)})
    EXPECT_TRUE(Cut(entry, false).empty());
}

TEST(GUIAnimFile, TheFramesInAllAreCountedAcrossEntriesAndLoads) {
  GUIAnimEntry refused = Grid(0, 0, 64, 64, 0, 32);
  GUIAnimEntry six = Grid(0, 0, 64, 32);
  size_t framesInAll = kMaxGUIAnimFramesInAll - 8;
  const auto cuts = CutGUIAnimFile({refused, six, six}, "gui_animation.xml", framesInAll);
  ASSERT_EQ(cuts.size(), 1u);  // a refused grid counts nothing; the second six would pass the bound
  EXPECT_EQ(cuts[0].frames.size(), 6u);
  EXPECT_EQ(framesInAll, kMaxGUIAnimFramesInAll - 2);
  EXPECT_EQ(CutGUIAnimFile({Grid(0, 0, 32, 0)}, "gui_animation.xml", framesInAll).size(), 1u);  // exactly full
  EXPECT_EQ(framesInAll, kMaxGUIAnimFramesInAll);
  EXPECT_TRUE(CutGUIAnimFile({Grid(0, 0, 0, 0)}, "gui_animation.xml", framesInAll).empty());
}

TEST(GUIAnimFile, ReadsEntriesAndSkipsIncompleteOnes) {
  const auto entries = ParseGUIAnimFile(
      "<GUIAnims>"
      "<Anim ID=\"cool\" Image=\"icon.png\" Size=\"w:64 h:32\" Start=\"x:0 y:8\" End=\"x:192 y:40\" LastTime=\"100\"/>"
      "<Other/>"
      "<Anim ID=\"half\" Image=\"icon.png\" Size=\"w:64 h:32\" Start=\"x:0 y:0\"/>"
      "<Anim ID=\"cool\" Image=\"b.png\" Size=\"junk\" Start=\"x:1 y:2\" End=\"x:1 y:2\" LastTime=\"x\"/>"
      "</GUIAnims>",
      "gui_animation.xml");
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].id, "cool");
  EXPECT_EQ(entries[0].image, "icon.png");
  EXPECT_EQ(entries[0].width, 64);
  EXPECT_EQ(entries[0].height, 32);
  EXPECT_EQ(entries[0].startY, 8);
  EXPECT_EQ(entries[0].endX, 192);
  EXPECT_EQ(entries[0].lastTime, 100);
  EXPECT_EQ(entries[1].width, 0);  // unreadable size: refused when cut
  EXPECT_EQ(entries[1].lastTime, 0);
  EXPECT_TRUE(ParseGUIAnimFile("<Anims><Anim/></Anims>", "gui_animation.xml").empty());
}

// An animation of n frames whose images are stand-ins (only their order counts).
GUIAnim Frames(size_t n, int lastTime) {
  static char storage[16];
  GUIAnim anim;
  for (size_t i = 0; i < n; ++i) anim.frames.push_back(reinterpret_cast<const CEGUI::Image*>(storage + i));
  anim.lastTime = lastTime;
  return anim;
}

size_t Index(const GUIAnim& anim, const CEGUI::Image* frame) {
  return static_cast<size_t>(std::find(anim.frames.begin(), anim.frames.end(), frame) - anim.frames.begin());
}

TEST(GUIAnim, AdvancesOnceMoreThanLastTimeHasPassed) {
  GUIAnim anim = Frames(3, 100);
  const uint64_t start = 1000000;
  EXPECT_EQ(Index(anim, anim.CurrentFrame(start)), 1u);  // first call: the last advance was long ago
  uint64_t t = start;
  while (Index(anim, anim.CurrentFrame(t)) == 1) t += 10;
  EXPECT_EQ(t - start, 110u);                              // the first call more than 100 ms later
  EXPECT_EQ(Index(anim, anim.CurrentFrame(t + 500)), 0u);  // one frame a call, wrapping
}

TEST(GUIAnim, OneFrameAndNoFrames) {
  GUIAnim one = Frames(1, 10);
  for (uint64_t t : {0, 50, 5000}) EXPECT_EQ(one.CurrentFrame(t), one.frames[0]);
  GUIAnim none = Frames(0, 10);
  EXPECT_EQ(none.CurrentFrame(100), nullptr);
}

TEST(GUIAnim, KeepsWholeMillisecondsAfterDaysOfRunning) {
  GUIAnim anim = Frames(2, 1);
  const uint64_t days = 40ull * 24 * 3600 * 1000 + 3;  // a float would step by whole seconds here
  anim.CurrentFrame(days);
  EXPECT_EQ(anim.lastAdvanceMs, days);
  EXPECT_EQ(Index(anim, anim.CurrentFrame(days + 1)), 1u);  // 1 ms is not more than 1
  EXPECT_EQ(Index(anim, anim.CurrentFrame(days + 2)), 0u);
}

TEST(GUIAnim, ClockNeverGoesBack) {
  // Across the 32-bit tick's wraps the clock keeps counting up, and an
  // animation keeps its pace through one.
  TickWrapCounter clock(0xFFFFFFF0u);
  const uint64_t beforeWrap = clock.Extend(0xFFFFFFFAu);
  const uint64_t afterWrap = clock.Extend(0x10u);
  EXPECT_EQ(afterWrap - beforeWrap, 0x16u);
  EXPECT_EQ(clock.Extend(0x10u), afterWrap);
  EXPECT_EQ(clock.Extend(0x5u), afterWrap + 0xFFFFFFF5u);  // the second wrap
  GUIAnim anim = Frames(3, 10);
  anim.CurrentFrame(beforeWrap);
  EXPECT_EQ(Index(anim, anim.CurrentFrame(afterWrap)), 2u);  // 22 ms later: one frame on
  EXPECT_LE(GUIAnimClockMs(), GUIAnimClockMs());
}

}  // namespace
