#include "game/DataFiles.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

// GBK texts pass byte for byte. "\xE4\xA1" is one GBK character whose first
// byte also starts a three-byte UTF-8 sequence: read as UTF-8 it swallows the
// closing quote and the rest of the element. An editor's UTF-8 byte-order
// mark in front changes nothing, not even the line numbers.
TEST(DataFiles, GbkTextsPassUnchangedWithOrWithoutDeclarationOrByteOrderMark) {
  for (const char* start : {"", "<?xml version=\"1.0\"?>", "\xEF\xBB\xBF", "\xEF\xBB\xBF<?xml version=\"1.0\"?>"}) {
    TiXmlDocument doc;
    const std::string text = std::string(start) + "\n<a name=\"\xE4\xA1\" next=\"x\">中文</a>";
    ASSERT_TRUE(ParseDataXml(doc, text, "test.xml")) << start;
    EXPECT_EQ(XmlAttr(doc.RootElement(), "name"), "\xE4\xA1");
    EXPECT_EQ(XmlAttr(doc.RootElement(), "next"), "x");
    EXPECT_EQ(std::string(doc.RootElement()->GetText()), "中文");
    EXPECT_EQ(doc.RootElement()->Row(), 2);
  }
}

TEST(DataFiles, RequiredValuesFallBack) {
  TiXmlDocument doc;
  ASSERT_TRUE(ParseDataXml(doc, "<a n=\"7\"><b/></a>", "test.xml"));
  const TiXmlElement* a = doc.RootElement();
  EXPECT_EQ(RequiredInt(a, "n", "test.xml"), 7);
  EXPECT_EQ(RequiredInt(a, "m", "test.xml", 3), 3);
  EXPECT_EQ(RequiredText(a, "m", "test.xml", "d"), "d");
  EXPECT_NE(RequiredChild(a, "b", "test.xml"), nullptr);
  EXPECT_EQ(RequiredChild(a, "c", "test.xml"), nullptr);
  EXPECT_EQ(XmlWhere("test.xml", a), "test.xml:1: ");
  TiXmlDocument broken;
  EXPECT_FALSE(ParseDataXml(broken, "<a><b></a>", "broken.xml"));
}
