#include "game/Parse.h"

#include <gtest/gtest.h>

TEST(Parse, IntegersAreDecimalPrefixes) {
  EXPECT_EQ(ParseInt("010"), 10);
  EXPECT_EQ(ParseInt(" 12abc"), 12);
  EXPECT_EQ(ParseInt("33.9"), 33);
  EXPECT_EQ(ParseInt("-4"), -4);
  EXPECT_EQ(ParseInt("abc", 7), 7);
  EXPECT_EQ(ParseInt("", 7), 7);
  EXPECT_EQ(ParseUInt("42"), 42u);
}

TEST(Parse, Reals) {
  EXPECT_FLOAT_EQ(ParseReal("0.9"), 0.9f);
  EXPECT_FLOAT_EQ(ParseReal("1e2"), 100.0f);
  EXPECT_FLOAT_EQ(ParseReal("x", 2.5f), 2.5f);
  EXPECT_FLOAT_EQ(ParseReal(" -3.25 trailing"), -3.25f);
}

TEST(Parse, BoolsStartWithTrueYesOrOne) {
  for (const char* yes : {"true", "True", "YES", "yes please", "1", "10"}) EXPECT_TRUE(ParseBool(yes)) << yes;
  for (const char* no : {"on", "false", "no", "0", "", " true", "y"}) EXPECT_FALSE(ParseBool(no)) << no;
}

TEST(Parse, VectorsNeedTheirExactCount) {
  EXPECT_EQ(ParseVector3("1 2.5 -3"), Ogre::Vector3(1, 2.5f, -3));
  EXPECT_EQ(ParseVector3("  1\t2   3 "), Ogre::Vector3(1, 2, 3));
  EXPECT_EQ(ParseVector3("1 2"), Ogre::Vector3::ZERO);
  EXPECT_EQ(ParseVector3("1 2 3 4"), Ogre::Vector3::ZERO);
  EXPECT_EQ(ParseVector2("4 5"), Ogre::Vector2(4, 5));
  EXPECT_EQ(ParseVector4("1 2 3 4"), Ogre::Vector4(1, 2, 3, 4));
}

TEST(Parse, QuaternionsAndColours) {
  EXPECT_EQ(ParseQuaternion("0.5 0.5 0.5 0.5"), Ogre::Quaternion(0.5f, 0.5f, 0.5f, 0.5f));
  EXPECT_EQ(ParseQuaternion("1 0 0"), Ogre::Quaternion::IDENTITY);
  EXPECT_EQ(ParseColourValue("1 0.5 0 0.25"), Ogre::ColourValue(1, 0.5f, 0, 0.25f));
  EXPECT_EQ(ParseColourValue("1 0.5 0"), Ogre::ColourValue(1, 0.5f, 0, 1));
  EXPECT_EQ(ParseColourValue("1"), Ogre::ColourValue::Black);
}
