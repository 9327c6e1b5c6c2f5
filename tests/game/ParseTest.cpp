#include "game/Parse.h"
#include "tests/support/LogLines.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <limits>

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

// A number beyond its field's range saturates to the range and is logged
// with the file, line and name it was read at; from no place it saturates
// silently.
TEST(Parse, NumbersBeyondTheirFieldSaturateWithALogLine) {
  LogLines log;
  const std::string file = "data.xml";
  const TextPlace at{&file, 7, "hp"};
  struct Case {
    const char* text;
    double value;
    bool logged;
  };
  const float big = std::numeric_limits<float>::max();
  const Case ints[] = {{"2147483647", INT_MAX, false}, {"-2147483648", INT_MIN, false},
                       {"2147483648", INT_MAX, true},  {" 99999999999x", INT_MAX, true},
                       {"-99999999999", INT_MIN, true}, {"123456789012345678901234567890", INT_MAX, true}};
  const Case uints[] = {{"4294967295", UINT_MAX, false}, {"4294967296", UINT_MAX, true}, {"-1", 0, true}};
  const Case reals[] = {{"3.4e38", 3.4e38f, false}, {"1e39", big, true},   {"-1e39", -big, true},
                        {"1e400", big, true},       {"inf", big, true},    {" -Infinity", -big, true},
                        {"nan", 2.5, true},         {"1e-60", 0, false}};
  const auto check = [&log](const Case& c, auto parse) {
    log.lines.clear();
    EXPECT_EQ(parse(nullptr), c.value) << c.text;  // no place
    EXPECT_TRUE(log.lines.empty()) << c.text;
    EXPECT_EQ(parse(&c), c.value) << c.text;
    EXPECT_EQ(log.Has({"data.xml:7: hp \"" + std::string(c.text) + "\""}), c.logged) << c.text << "\n" << log.All();
  };
  for (const Case& c : ints)
    check(c, [&](const Case* placed) { return ParseInt(c.text, 0, placed ? at : TextPlace()); });
  for (const Case& c : uints)
    check(c, [&](const Case* placed) { return ParseUInt(c.text, 0, placed ? at : TextPlace()); });
  for (const Case& c : reals)
    check(c, [&](const Case* placed) { return ParseReal(c.text, 2.5f, placed ? at : TextPlace()); });

  log.lines.clear();
  EXPECT_EQ(ParseVector3("1 1e39 2", at), Ogre::Vector3(1, big, 2));
  EXPECT_TRUE(log.Has({"data.xml:7: hp \"1e39\" is out of range; read as 3.40282e+38"})) << log.All();
  EXPECT_EQ(ParseInt("99999999999", 0, TextPlace{&file, 0, nullptr}), INT_MAX);
  EXPECT_TRUE(log.Has({"data.xml: number \"99999999999\" is out of range; read as 2147483647"})) << log.All();
}

// A vector, rotation or colour of the wrong count of numbers keeps its
// fallback and says so with its place; a blank text (an absent attribute,
// which its reader reports) says nothing here.
TEST(Parse, AWrongCountOfNumbersIsLogged) {
  LogLines log;
  const std::string file = "data.xml";
  const TextPlace at{&file, 3, "pos"};
  struct Case {
    const char* text;
    std::function<bool()> readsFallback;
  };
  const Case cases[] = {
      {"1", [&] { return ParseVector2("1", at) == Ogre::Vector2::ZERO; }},
      {"1 2", [&] { return ParseVector3("1 2", at) == Ogre::Vector3::ZERO; }},
      {"1 2 3 4 5", [&] { return ParseVector4("1 2 3 4 5", at) == Ogre::Vector4::ZERO; }},
      {"0 1 0", [&] { return ParseQuaternion("0 1 0", at) == Ogre::Quaternion::IDENTITY; }},
      {"1 1", [&] { return ParseColourValue("1 1", at) == Ogre::ColourValue::Black; }},
      {"1 1 1 1 1", [&] { return ParseColourValue("1 1 1 1 1", at) == Ogre::ColourValue::Black; }},
  };
  for (const Case& c : cases) {
    log.Clear();
    EXPECT_TRUE(c.readsFallback()) << c.text;
    EXPECT_TRUE(log.Has({"data.xml:3: pos \"" + std::string(c.text) + "\" has ", " numbers, not "}))
        << c.text << "\n" << log.All();
  }
  log.Clear();
  EXPECT_EQ(ParseVector3("", at), Ogre::Vector3::ZERO);
  EXPECT_EQ(ParseColourValue("  ", at), Ogre::ColourValue::Black);
  EXPECT_EQ(ParseVector3("1 2"), Ogre::Vector3::ZERO);  // from no place
  EXPECT_TRUE(log.lines.empty()) << log.All();
}
