#include "screens/LevelState.h"
#include "screens/UnitIcon.h"
#include "tests/support/LogLines.h"
#include "units/UnitManager.h"
#include "units/UnitTemplate.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

TEST(UnitIcon, IconTextsNameAFileAndA64PixelCell) {
  struct Case {
    const char* icon;
    bool fallback;
    const char* imageset;
    const char* image;
    int left, top;
  } kCases[] = {
      {"2 3 1", false, "UIHEAD2", "3_1", 192, 64},
      {"1 0 0", false, "UIHEAD1", "0_0", 0, 0},
      {"1 2.5 1", false, "UIHEAD1", "2_1", 160, 64},  // the name truncates, the pixels too
      {"0 -1 0", true, "", "", 0, 0},
      {"not an icon", false, "UIHEAD0", "0_0", 0, 0},  // not three numbers: 0 0 0
      // Beyond int: held to its range (a picture that does not exist).
      {"1e30 0 0", false, "UIHEAD2147483647", "0_0", 0, 0},
      {"1 1e10 0", false, "UIHEAD1", "2147483647_0", 2147483647, 0},
      {"1 0 4e7", false, "UIHEAD1", "0_40000000", 0, 2147483647},
  };
  for (const Case& c : kCases) {
    const IconPicture picture = ParseIconText("UIHEAD", c.icon);
    EXPECT_EQ(picture.fallback, c.fallback) << c.icon;
    EXPECT_EQ(picture.imageset, c.imageset) << c.icon;
    EXPECT_EQ(picture.image, c.image) << c.icon;
    EXPECT_EQ(picture.left, c.left) << c.icon;
    EXPECT_EQ(picture.top, c.top) << c.icon;
  }
}

UnitTemplate Farmer() {
  UnitTemplate t;
  t.name = "农夫";
  t.text = "种田";
  t.type = 1;
  t.hp = 80;
  t.attack_value = -7;
  t.attack_time = 5000;
  t.release_dis = 0;
  t.price = 50;
  return t;
}

TEST(UnitIcon, TooltipsShowIncomeHealingOrAttack) {
  UnitTemplate farmer = Farmer();
  EXPECT_EQ(UnitTooltip(farmer),
            "     农夫 \n体质：80 \n产出：3 - 7 \n速度：5.0 秒\n距离：0 \n视野：1 \n费用：50 \n 种田");
  // The later of two sight entries counts.
  farmer.attributes = {{14, 2}, {5, 9}, {14, 3}};
  farmer.type = 3;
  EXPECT_NE(UnitTooltip(farmer).find("治疗：7 \n"), std::string::npos);
  EXPECT_NE(UnitTooltip(farmer).find("视野：3 \n"), std::string::npos);
  farmer.type = 0;
  farmer.attack_time = 1250;
  EXPECT_NE(UnitTooltip(farmer).find("攻击：7 \n速度：1.2 秒"), std::string::npos);
  // A long description is kept whole.
  farmer.text = std::string(2000, 'x');
  EXPECT_NE(UnitTooltip(farmer).find(farmer.text), std::string::npos);
}

TEST(UnitIcon, MaskAndNumberFollowTheModeAndTheSilver) {
  UnitTemplate t = Farmer();
  EXPECT_FALSE(IconMasked(t, kGamePlaying, 50));  // the price equal to the silver is affordable
  EXPECT_TRUE(IconMasked(t, kGamePlaying, 49));
  EXPECT_TRUE(IconMasked(t, kGameLost, 49));
  EXPECT_EQ(IconNumber(t, kGamePlaying), "50");

  t.gold = 200;
  EXPECT_TRUE(IconMasked(t, kGameUnlocking, 0));
  EXPECT_EQ(IconNumber(t, kGameUnlocking), "200");
  t.unlocked = true;
  EXPECT_FALSE(IconMasked(t, kGameUnlocking, 0));
  EXPECT_EQ(IconNumber(t, kGameUnlocking), "");
}

// The price and unlock gold an icon shows come from unit.xml as plain
// integers: a negative one reads as 0, logged with the file and line (it
// would pay the player for a purchase), and a type free to unlock is there.
TEST(UnitIcon, NegativeCostsReadAsZeroWithALogLine) {
  LogLines log;
  CGAUnitManager units(nullptr);
  units.ReadUnitTemplates("<Units><Unit Name=\"thief\"/><Unit Name=\"monk\"/></Units>", "t.unt");
  units.ReadUnitXml("<units>\n<unit id=\"thief\" price=\"-2147483648\" gold=\"-5\"/>\n"
                    "<unit id=\"monk\" price=\"0\" gold=\"0\"/></units>",
                    "unit.xml");
  const UnitTemplate& thief = *units.GetUnitTemplate("thief");
  EXPECT_EQ(thief.price, 0);
  EXPECT_EQ(thief.gold, 0);
  EXPECT_TRUE(thief.unlocked);
  EXPECT_TRUE(log.Has({"unit.xml:2: ", "thief", "negative price -2147483648 read as 0"})) << log.All();
  EXPECT_TRUE(log.Has({"unit.xml:2: ", "thief", "negative unlock gold -5 read as 0"})) << log.All();
  EXPECT_FALSE(log.Has("monk")) << log.All();
}

TEST(UnitIcon, CooldownRunsDownByTheFrameUnlessPaused) {
  UnitTemplate t;
  t.ready = 3000;
  t.cooldownLeft = 3000;
  float progress = -1;
  ASSERT_TRUE(RunCooldown(t, 1500, false, progress));
  EXPECT_EQ(t.cooldownLeft, 1500);
  EXPECT_FLOAT_EQ(progress, 0.5f);
  EXPECT_FALSE(RunCooldown(t, 1500, true, progress));
  EXPECT_EQ(t.cooldownLeft, 1500);

  // 30 ms left and a 33 ms frame: ready, and the sweep is gone at once.
  t.cooldownLeft = 30;
  ASSERT_TRUE(RunCooldown(t, 33, false, progress));
  EXPECT_EQ(t.cooldownLeft, 0);
  EXPECT_FLOAT_EQ(progress, 1.0f);
  EXPECT_FALSE(RunCooldown(t, 33, false, progress));
}

TEST(UnitIcon, SweepFramesFollowProgress) {
  EXPECT_EQ(SweepFrame(10, 0.0f), 0);
  EXPECT_EQ(SweepFrame(10, 0.05f), 1);  // index 0 bumped while running
  EXPECT_EQ(SweepFrame(10, 0.5f), 4);
  EXPECT_EQ(SweepFrame(10, 0.999f), 8);
  EXPECT_EQ(SweepFrame(10, 1.5f), 9);
  EXPECT_EQ(SweepFrame(1, 0.5f), 0);
  EXPECT_EQ(SweepFrame(0, 0.5f), -1);
}

}  // namespace
