#include "TerrainTestSupport.h"
#include "terrain/ImageWriter.h"
#include "terrain/PathFinder.h"

#include <OgreImage.h>
#include <OgreImageCodec.h>
#include <OgreResourceGroupManager.h>

#include <cstdio>
#include <fstream>

namespace {

std::string Bytes(size_t count, int seed) {
  std::string s(count, '\0');
  for (size_t i = 0; i < count; ++i) s[i] = char((i * 31 + seed) & 0xff);
  return s;
}

// Encodes an image with the engine's codec: a uniform colour, any size.
std::string Png(unsigned width, unsigned height, Ogre::PixelFormat format, Ogre::ColourValue colour) {
  Ogre::Image image(format, width, height);
  for (unsigned y = 0; y < height; ++y)
    for (unsigned x = 0; x < width; ++x) image.setColourAt(colour, x, y, 0);
  return image.encode("png")->getAsString();
}

using MapReading = MapFixture;

TEST_F(MapReading, WorkedSizesOfAHundredBySixtyFourMap) {
  MapXml xml;
  xml.Scene["Width"] = "100";
  xml.Scene["Height"] = "64";
  xml.Scene["ObstacleData"] = "o.dat";
  xml.Scene["LogicData"] = "l.dat";
  xml.Terrain["HeightData"] = "h.dat";
  xml.Terrain["PaintData"] = "p.dat";
  xml.Textures = "<TerrainTextures><Texture Name=\"a\" Height=\"1\" Width=\"1\"/></TerrainTextures>"
                 "<TexturesBlend/><TileTextures/>";
  Write("o.dat", Bytes(192 * 128, 1));
  Write("l.dat", Bytes(192 * 128, 2));
  std::vector<uint32_t> heights(24576 / 4);
  for (size_t i = 0; i < heights.size(); ++i) heights[i] = uint32_t(i * 1000);
  Write("h.dat", Le32(heights));
  std::string paint(12800, '\0');
  for (size_t i = 0; i < paint.size(); i += 2) paint[i + 1] = char(15 + i % 17);
  Write("p.dat", paint);
  ASSERT_TRUE(Load(xml));

  EXPECT_EQ(terrain.GetTileCountX(), 6u);
  EXPECT_EQ(terrain.GetTileCountZ(), 4u);
  EXPECT_EQ(terrain.GetGridSizeX(), 96.0f);
  EXPECT_EQ(terrain.GetGridSizeZ(), 64.0f);
  EXPECT_EQ(terrain.GetWorldSizeX(), 192.0f);
  EXPECT_EQ(terrain.GetWorldSizeZ(), 128.0f);
  EXPECT_EQ(terrain.GetMaterial()->GetPaintBufferSize(), 12800u);
  // Files of exactly the expected size are read whole, without a complaint.
  EXPECT_FALSE(log.Has({"Map test.map", "bytes"})) << log.All();
  const std::string obstacles = Bytes(192 * 128, 1), logic = Bytes(192 * 128, 2);
  for (unsigned z : {0u, 77u, 127u})
    for (unsigned x : {0u, 100u, 191u}) {
      EXPECT_EQ(terrain.GetObstacle(x, z), uint8_t(obstacles[z * 192 + x]));
      EXPECT_EQ(terrain.GetLogic(x, z), uint8_t(logic[z * 192 + x]));
    }
  EXPECT_EQ(terrain.GetRawHeight(95, 63), double(heights[63 * 96 + 95]));
  // Paint entries keep the file's layout: vertex (x, z) at z x (Height - 1) + x.
  const CGATerrainMaterial* material = terrain.GetMaterial();
  for (int z : {0, 30, 63})
    for (int x : {0, 62, 95}) {
      EXPECT_EQ(material->GetPaintByte(x, z, 0), 0);
      EXPECT_EQ(material->GetPaintByte(x, z, 1), uint8_t(paint[2 * (z * 63 + x) + 1])) << x << "," << z;
    }
  ASSERT_NE(terrain.GetPathFinder(), nullptr);
}

TEST_F(MapReading, ShortAndLongSideFilesKeepPresetsOrAreCutAndLogged) {
  MapXml xml;
  xml.Scene["ObstacleData"] = "o.dat";
  xml.Scene["LogicData"] = "l.dat";
  xml.Terrain["HeightData"] = "h.dat";
  xml.Terrain["DefaultHeight"] = "777";
  Write("o.dat", std::string(100, char(50)));           // 64 x 64 cells expected
  Write("l.dat", std::string(64 * 64 + 10, char(3)));   // ten bytes too many
  Write("h.dat", Le32({5, 6, 7}) + "\x01\x02");          // three values and a partial one
  ASSERT_TRUE(Load(xml));
  EXPECT_EQ(terrain.GetObstacle(35, 1), 50);   // byte 99, the file's last
  EXPECT_EQ(terrain.GetObstacle(36, 1), 255);  // byte 100: preset
  EXPECT_EQ(terrain.GetLogic(63, 63), 3);
  EXPECT_EQ(terrain.GetRawHeight(2, 0), 7.0);
  EXPECT_EQ(terrain.GetRawHeight(3, 0), 777.0);
  EXPECT_EQ(terrain.GetRawHeight(31, 31), 777.0);
  EXPECT_TRUE(log.Has({"test.map", "obstacle file \"o.dat\"", "100 of 4096 bytes"})) << log.All();
  EXPECT_TRUE(log.Has({"test.map", "logic file \"l.dat\"", "longer than 4096 bytes"})) << log.All();
  EXPECT_TRUE(log.Has({"test.map", "height file \"h.dat\"", "14 of 4096 bytes"})) << log.All();
}

TEST_F(MapReading, MissingSideFilesAreReportedAndTheMapStillLoads) {
  MapXml xml;
  xml.Scene["ObstacleData"] = "none_o.dat";
  xml.Scene["LogicData"] = "none_l.dat";
  xml.Scene["StaticList"] = "none_static.xml";
  xml.Terrain["HeightData"] = "none_h.dat";
  xml.Terrain["PaintData"] = "none_p.dat";
  xml.Terrain["LightMap"] = "none_light.png";
  xml.Terrain["ColourMap"] = "none_colour.png";
  xml.Terrain["BlendMap"] = "none_blend.tga";
  xml.Terrain["DefaultHeight"] = "500";
  ASSERT_TRUE(Load(xml));
  for (const char* name : {"none_o.dat", "none_l.dat", "none_h.dat", "none_p.dat", "none_light.png",
                           "none_colour.png", "none_blend.tga", "none_static.xml"})
    EXPECT_TRUE(log.Has({name, "not found"})) << name << "\n" << log.All();
  EXPECT_EQ(terrain.GetObstacle(5, 5), 255);
  EXPECT_EQ(terrain.GetLogic(5, 5), 0);
  EXPECT_FLOAT_EQ(terrain.GetHeight(10, 10), 500 / 250.0f * 2);
  EXPECT_EQ(terrain.GetLightColour(3, 3), Ogre::ColourValue::Black);
  EXPECT_EQ(terrain.GetColourMapColour(3, 3), Ogre::ColourValue::White);
  EXPECT_EQ(terrain.GetMaterial()->GetPaintByte(3, 3, 0), CGATerrainMaterial::kUnpainted);
}

TEST_F(MapReading, WholeColourMapIsWhiteWithoutAColourImage) {
  ASSERT_TRUE(Load(MapXml()));
  for (unsigned v : {0u, 15u, 31u}) {
    EXPECT_EQ(terrain.GetColourMapColour(v, 31), Ogre::ColourValue::White) << v;
    EXPECT_EQ(terrain.GetColourMapColour(31, v), Ogre::ColourValue::White) << v;
  }
}

struct Degenerate {
  const char* width;
  const char* height;
  const char* step;
  const char* scale;
  unsigned cellsPerTile;
  const char* reason;
};

TEST_F(MapReading, DegenerateMapsAreRefusedAndChangeNothing) {
  MapXml good;
  good.Scene["Name"] = "good";
  good.Scene["ObstacleData"] = "o.dat";
  Write("o.dat", std::string(64 * 64, char(50)));
  ASSERT_TRUE(Load(good));
  const CGAPathFinder* finder = terrain.GetPathFinder();

  const Degenerate cases[] = {
      {"8", "32", "1", "2", 16, "holds no whole tile"},   {"32", "15", "1", "2", 16, "holds no whole tile"},
      {"-16", "32", "1", "2", 16, "holds no whole tile"}, {"32", "32", "0", "2", 16, "Step 0"},
      {"32", "32", "1", "0", 16, "Scale 0"},              {"32", "32", "-1", "2", 16, "Step -1"},
      {"32", "32", "1", "-2", 16, "Scale -2"},            {"32", "32", "1", "2", 0, "0 cells per tile"},
      {"5000", "32", "1", "2", 16, "larger than"},        {"1024", "32", "1", "4", 16, "Scale 4"},
      {"", "32", "1", "2", 16, "lacks the attribute \"Width\""},
  };
  for (const Degenerate& c : cases) {
    MapXml bad;
    bad.Scene["Name"] = "bad";
    bad.Scene["Width"] = c.width;
    bad.Scene["Height"] = c.height;
    bad.Scene["Step"] = c.step;
    bad.Scene["Scale"] = c.scale;
    if (*c.width == '\0') bad.Scene.erase("Width");
    log.Clear();
    EXPECT_FALSE(Load(bad, c.cellsPerTile)) << c.width << " " << c.height;
    EXPECT_TRUE(log.Has({"Map test.map", c.reason})) << log.All();
    EXPECT_EQ(terrain.GetMapName(), "good");
    EXPECT_EQ(terrain.GetPathFinder(), finder);
    EXPECT_EQ(terrain.GetWorldSizeX(), 64.0f);
    EXPECT_EQ(terrain.GetObstacle(10, 10), 50);
  }
}

TEST_F(MapReading, UnreadableDocumentsAreRefused) {
  Write("text.map", "not xml <<");
  EXPECT_FALSE(terrain.LoadMap("text.map", 16));
  EXPECT_TRUE(log.Has({"Map text.map", "not XML"})) << log.All();
  Write("other.map", "<Level/>");
  EXPECT_FALSE(terrain.LoadMap("other.map", 16));
  EXPECT_TRUE(log.Has({"Map other.map", "no \"Scene\" element"})) << log.All();
  EXPECT_FALSE(terrain.LoadMap("absent.map", 16));
  EXPECT_TRUE(log.Has({"Map absent.map", "not found"})) << log.All();
  EXPECT_EQ(terrain.GetPathFinder(), nullptr);
  EXPECT_EQ(terrain.GetHeight(3, 3), 0.0f);
}

TEST_F(MapReading, ValuesAndRecordsOfTheSceneDescription) {
  MapXml xml;
  xml.Scene["Terrain"] = "TRUE";
  xml.Textures =
      "<TerrainTextures><Texture Name=\"grass\" Height=\"4\" Width=\"-1\"/></TerrainTextures>"
      "<TexturesBlend><Texture Name=\"b7\" Layer=\"7\"/><Texture Name=\"bm\" Layer=\"-2\"/></TexturesBlend>"
      "<TileTextures><Tile ID=\"3\" Layer_0=\"1\" Layer_1=\"0\" Layer_2=\"0\" Layer_3=\"0\"/>"
      "<Tile ID=\"3\" Layer_0=\"9\" Layer_1=\"9\" Layer_2=\"9\" Layer_3=\"9\"/></TileTextures>";
  xml.Children =
      "<MapInfo name=\"n\" position=\"p\" intro=\"i\"/>"
      "<FantasyCompositor lum=\"2\" contrast=\"3\" soft=\"4\" black=\"5\"/>"
      "<Grass><Object Name=\"g0\" Image=\"g0.png\"/>"
      "<Records><Record id=\"0\" position=\"1 2 3\" yaw=\"90\" scale=\"2\"/>"
      "<Record id=\"1\" position=\"1 2 3\" yaw=\"0\" scale=\"1\"/></Records></Grass>";
  // Records of the scene; a light without "Range", a static without "Scale".
  std::string text = xml.Text();
  const std::string lights = "<Lights/>";
  text.replace(text.find(lights), lights.size(),
               "<Lights><Light Name=\"l\" Position=\"1 2 3\" Colour=\"0.1 0.2 0.3\" Constant=\"1\" "
               "Linear=\"0.5\" Quadratic=\"0.25\"/></Lights>");
  const std::string statics = "<StaticObjects/>";
  text.replace(text.find(statics), statics.size(),
               "<StaticObjects><Object Name=\"tree\" Position=\"4 5 6\" Quaternion=\"0 0 1 0\"/>"
               "<Object Name=\"rock\" Position=\"bad\" Scale=\"2 2 2\" Quaternion=\"x\"/></StaticObjects>");
  Write("test.map", text);
  ASSERT_TRUE(terrain.LoadMap("test.map", 16));

  const CGAMapData& map = terrain.GetMapData();
  EXPECT_TRUE(map.HasTerrain);
  EXPECT_EQ(map.Ambient, Ogre::ColourValue(0.5f, 0.5f, 0.5f, 1));
  EXPECT_EQ(map.Fog.Mode, 3);
  ASSERT_EQ(map.Lights.size(), 1u);
  EXPECT_EQ(map.Lights[0].Colour, Ogre::ColourValue(0.1f, 0.2f, 0.3f, 1.0f));
  EXPECT_EQ(map.Lights[0].Range, 0.0f);
  EXPECT_TRUE(log.Has({"Map test.map:7: <Light> lacks the attribute \"Range\""})) << log.All();
  ASSERT_EQ(map.Statics.size(), 2u);
  EXPECT_EQ(map.Statics[0].Scale, Ogre::Vector3::UNIT_SCALE);
  EXPECT_EQ(map.Statics[0].Orientation, Ogre::Quaternion(0, 0, 1, 0));
  EXPECT_EQ(map.Statics[1].Position, Ogre::Vector3::ZERO);
  EXPECT_EQ(map.Statics[1].Orientation, Ogre::Quaternion::IDENTITY);

  const CGATerrainMaterial* material = terrain.GetMaterial();
  ASSERT_EQ(material->GetTextureCount(), 2u);  // the eraser, then the map's
  EXPECT_EQ(material->GetTexture(1)->WidthRepeat, -1);
  std::string name;
  int slot = -1;
  ASSERT_TRUE(material->GetBlendTexture(0, name, slot));
  EXPECT_EQ(slot, 3);
  ASSERT_TRUE(material->GetBlendTexture(1, name, slot));
  EXPECT_EQ(slot, 0);
  int l0, l1, l2, l3;
  ASSERT_TRUE(material->GetTileLayers(3, l0, l1, l2, l3));
  EXPECT_EQ(l0, 1);

  ASSERT_EQ(map.GrassKinds.size(), 1u);
  ASSERT_EQ(map.GrassRecords.size(), 1u);
  EXPECT_EQ(map.GrassRecords[0].Yaw, 90.0f);
  EXPECT_TRUE(log.Has({"1 grass records name no grass kind"})) << log.All();
  std::string info[3];
  terrain.GetMapInfo(info[0], info[1], info[2]);
  EXPECT_EQ(info[2], "i");
  float lum, contrast, soft, black;
  bool enabled;
  terrain.GetFantasyCompositor(lum, contrast, soft, black, enabled);
  EXPECT_EQ(black, 5.0f);
  EXPECT_FALSE(enabled);
}

TEST_F(MapReading, MapWithoutTerrainHasGridsButNoHeightsOrPainter) {
  MapXml xml;
  xml.Scene["Terrain"] = "no";
  xml.Scene["ObstacleData"] = "o.dat";
  Write("o.dat", std::string(64 * 64, char(50)));
  ASSERT_TRUE(Load(xml));
  EXPECT_EQ(terrain.GetMaterial(), nullptr);
  EXPECT_EQ(terrain.GetLightMap(), nullptr);
  EXPECT_EQ(terrain.GetHeight(5, 5), 0.0f);
  EXPECT_EQ(terrain.GetObstacle(5, 5), 50);
  EXPECT_NE(terrain.GetPathFinder(), nullptr);
}

TEST_F(MapReading, PaintOfAMapDeeperThanWideStaysInsideTheBuffer) {
  // Width 16, Height 64: the paint layout's row stride (63) leaves the
  // deeper rows without entries; they keep the preset.
  MapXml xml;
  xml.Scene["Width"] = "16";
  xml.Scene["Height"] = "64";
  xml.Terrain["PaintData"] = "p.dat";
  xml.Textures = "<TerrainTextures><Texture Name=\"a\" Height=\"1\" Width=\"1\"/>"
                 "<Texture Name=\"b\" Height=\"1\" Width=\"1\"/></TerrainTextures><TexturesBlend/><TileTextures/>";
  std::string paint(16 * 64 * 2, char(2));
  paint[2 * 5] = char(9);  // a layer the map does not list
  Write("p.dat", paint + "extra");
  ASSERT_TRUE(Load(xml));
  const CGATerrainMaterial* material = terrain.GetMaterial();
  EXPECT_EQ(material->GetPaintByte(0, 0, 0), 2);
  EXPECT_EQ(material->GetPaintByte(5, 0, 0), 0);
  EXPECT_EQ(material->GetPaintByte(15, 15, 0), 2);   // entry 960, the last in the buffer
  EXPECT_TRUE(material->HasPaintEntry(15, 16));      // entry 1023, the last
  EXPECT_FALSE(material->HasPaintEntry(0, 17));      // entry 1071
  EXPECT_EQ(material->GetPaintByte(15, 63, 0), CGATerrainMaterial::kUnpainted);
  EXPECT_TRUE(log.Has({"paint file \"p.dat\"", "names a texture the map does not list at 1 vertices"})) << log.All();
  EXPECT_TRUE(log.Has({"has no entry for", "deeper rows"})) << log.All();
  EXPECT_TRUE(log.Has({"paint file \"p.dat\"", "longer than 2048 bytes"})) << log.All();
}

TEST_F(MapReading, ImagesAreResizedToTheGridAndConverted) {
  MapXml xml;
  xml.Terrain["LightMap"] = "light.png";
  xml.Terrain["ColourMap"] = "colour.png";
  xml.Terrain["BlendMap"] = "blend.png";
  // Other sizes and formats than the maps': resized and converted.
  Write("light.png", Png(7, 5, Ogre::PF_BYTE_RGBA, Ogre::ColourValue(1.0f, 0.0f, 0.2f, 1.0f)));
  Write("colour.png", Png(64, 64, Ogre::PF_BYTE_L, Ogre::ColourValue(0.4f, 0.4f, 0.4f, 1.0f)));
  Write("blend.png", Png(128, 128, Ogre::PF_BYTE_RGBA, Ogre::ColourValue(0.0f, 1.0f, 0.0f, 0.0f)));
  ASSERT_TRUE(Load(xml));
  const Ogre::ColourValue light = terrain.GetLightColour(31, 31);
  EXPECT_EQ(light, Ogre::ColourValue(1.0f, 0.0f, 51 / 255.0f, 1.0f));
  EXPECT_EQ(terrain.GetColourMapColour(0, 0), Ogre::ColourValue(102 / 255.0f, 102 / 255.0f, 102 / 255.0f, 1));
  const CGACoverageMap* blend = terrain.GetMaterial()->GetBlendMap();
  EXPECT_EQ(blend->GetValue(10, 10, 1), 255);
  EXPECT_EQ(blend->GetValue(10, 10, 3), 0);

  // A blend image of the wrong size leaves the painter's preset.
  Write("blend.png", Png(100, 128, Ogre::PF_BYTE_RGBA, Ogre::ColourValue(0.0f, 1.0f, 0.0f, 0.0f)));
  ASSERT_TRUE(Load(xml));
  blend = terrain.GetMaterial()->GetBlendMap();
  EXPECT_EQ(blend->GetValue(10, 10, 1), 0);
  EXPECT_EQ(blend->GetValue(10, 10, 3), 255);
  EXPECT_TRUE(log.Has({"blend image \"blend.png\" is 100 x 128 pixels", "ignored"})) << log.All();

  Write("light.png", "not an image");
  ASSERT_TRUE(Load(xml));
  EXPECT_TRUE(log.Has({"light image \"light.png\" cannot be read"})) << log.All();
  EXPECT_EQ(terrain.GetLightColour(3, 3), Ogre::ColourValue::Black);
}

// Stands in for the engine's decoders of some formats while it lives: it
// counts the images it is asked to decode and decodes none.
class CountingDecoders {
 public:
  explicit CountingDecoders(const std::vector<std::string>& formats) {
    for (const std::string& format : formats) {
      mOriginals.push_back(Ogre::Codec::getCodec(format));
      Ogre::Codec::unregisterCodec(mOriginals.back());
      mStandIns.push_back(std::make_unique<Counter>(format, mCalls));
      Ogre::Codec::registerCodec(mStandIns.back().get());
    }
  }
  ~CountingDecoders() {
    for (size_t i = 0; i < mOriginals.size(); ++i) {
      Ogre::Codec::unregisterCodec(mStandIns[i].get());
      Ogre::Codec::registerCodec(mOriginals[i]);
    }
  }
  int Calls() const { return mCalls; }

 private:
  class Counter : public Ogre::ImageCodec {
   public:
    Counter(std::string format, int& calls) : mFormat(std::move(format)), mCalls(calls) {}
    Ogre::String getType() const override { return mFormat; }
    Ogre::String magicNumberToFileExt(const char*, size_t) const override { return ""; }
    void decode(const Ogre::DataStreamPtr&, const Ogre::Any&) const override {
      ++mCalls;
      OGRE_EXCEPT(Ogre::Exception::ERR_INVALIDPARAMS, "not decoded in this test", "Counter::decode");
    }

   private:
    std::string mFormat;
    int& mCalls;
  };
  int mCalls = 0;
  std::vector<Ogre::Codec*> mOriginals;
  std::vector<std::unique_ptr<Counter>> mStandIns;
};

TEST_F(MapReading, ImagesLargerThanTheirMapsTakeAreRefusedUndecoded) {
  MapXml xml;
  xml.Terrain["LightMap"] = "light.png";
  xml.Terrain["ColourMap"] = "colour.tga";
  xml.Terrain["BlendMap"] = "blend.tga";
  // A light image one pixel wider than the bound; a PNG header alone that
  // declares 16384 x 16384 pixels (0.8 MB of PNG can hold them), under a
  // TGA's name; a 30-byte run-length TGA of 16384 x 16384 pixels for the
  // blend map of 128 x 128.
  Write("light.png", EncodePng(4097, 2, 1, std::vector<uint8_t>(4097 * 2, 255)));
  Write("colour.tga", std::string("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR\0\0\x40\0\0\0\x40\0\x08\x02\0\0\0", 29));
  Write("blend.tga", std::string("\0\0\x0A\0\0\0\0\0\0\0\0\0\0\x40\0\x40\x20\x20", 18) +
                         std::string("\xFF\0\0\0\0\xFF\0\0\0\0\xFF\0", 12));
  {
    CountingDecoders decoders({"png", "tga"});
    ASSERT_TRUE(Load(xml));
    EXPECT_EQ(decoders.Calls(), 0);
  }
  EXPECT_TRUE(log.Has({"light image \"light.png\" is 4097 x 2 pixels, above 4096 a side", "ignored"})) << log.All();
  EXPECT_TRUE(log.Has({"colour image \"colour.tga\" is 16384 x 16384 pixels, above 4096"})) << log.All();
  EXPECT_TRUE(log.Has({"blend image \"blend.tga\" is 16384 x 16384 pixels, not the 128 x 128"})) << log.All();
  EXPECT_EQ(terrain.GetLightColour(3, 3), Ogre::ColourValue::Black);
  EXPECT_EQ(terrain.GetColourMapColour(3, 3), Ogre::ColourValue::White);

  // At the bound an image is read and resized.
  Write("light.png", EncodePng(4096, 1, 1, std::vector<uint8_t>(4096, 255)));
  ASSERT_TRUE(Load(xml));
  EXPECT_EQ(terrain.GetLightColour(3, 3), Ogre::ColourValue::White);
}

TEST_F(MapReading, StaticTypesAccumulateAndTheFirstDefinitionWins) {
  Write("s1.xml",
        "<Static><Object Name=\"tree\" Mesh=\"tree.mesh\" Scale=\"2 2 2\" Flash=\"f\"/>"
        "<Object Name=\"tree\" Mesh=\"other.mesh\"/><Object Mesh=\"nameless.mesh\"/>"
        "<Object Name=\"rock\" Mesh=\"rock.mesh\"/></Static>");
  Write("s2.xml", "<Static><Object Name=\"rock\" Mesh=\"boulder.mesh\"/><Object Name=\"bush\" Mesh=\"b.mesh\"/></Static>");
  terrain.LoadStaticList("s1.xml");
  terrain.LoadStaticList("s2.xml");
  StaticType type;
  ASSERT_TRUE(terrain.FindStaticType("tree", type));
  EXPECT_EQ(type.Mesh, "tree.mesh");
  EXPECT_EQ(type.Scale, Ogre::Vector3(2, 2, 2));
  EXPECT_EQ(type.Flash, "f");
  ASSERT_TRUE(terrain.FindStaticType("rock", type));
  EXPECT_EQ(type.Mesh, "rock.mesh");
  EXPECT_EQ(type.Scale, Ogre::Vector3::UNIT_SCALE);
  EXPECT_TRUE(terrain.FindStaticType("bush", type));
  EXPECT_EQ(terrain.GetStaticTypes().size(), 3u);
  EXPECT_TRUE(log.Has({"Static list s1.xml line 1", "without \"Name\" or \"Mesh\""})) << log.All();
  // The map names its list; it is read as the map loads.
  MapXml xml;
  xml.Scene["StaticList"] = "s3.xml";
  Write("s3.xml", "<Static><Object Name=\"hut\" Mesh=\"hut.mesh\"/></Static>");
  ASSERT_TRUE(Load(xml));
  EXPECT_TRUE(terrain.FindStaticType("hut", type));
}

TEST_F(MapReading, ClearMapDropsTheGridsButKeepsTheLayout) {
  MapXml xml;
  xml.Scene["ObstacleData"] = "o.dat";
  Write("o.dat", std::string(64 * 64, char(50)));
  xml.Terrain["DefaultHeight"] = "250";
  ASSERT_TRUE(Load(xml));
  terrain.ClearMap();
  EXPECT_EQ(terrain.GetPathFinder(), nullptr);
  EXPECT_EQ(terrain.GetMaterial(), nullptr);
  EXPECT_EQ(terrain.GetHeight(3, 3), 0.0f);
  EXPECT_EQ(terrain.GetObstacle(3, 3), 0);
  EXPECT_EQ(terrain.GetLogic(3, 3), 0);
  EXPECT_EQ(terrain.GetWorldSizeX(), 64.0f);
  EXPECT_EQ(terrain.GetMapName(), "test");
  EXPECT_NE(terrain.GetMapData().Document, nullptr);
  terrain.ClearMap();  // twice: nothing left to drop
  EXPECT_EQ(terrain.GetGridSizeZ(), 32.0f);
}

TEST_F(MapReading, ResourceGroupsFindTheMapByDefault) {
  MapXml xml;
  xml.Scene["ObstacleData"] = "rg_o.dat";
  Write("rg.map", xml.Text());
  Write("rg_o.dat", std::string(64 * 64, char(50)));
  auto& groups = Ogre::ResourceGroupManager::getSingleton();
  groups.addResourceLocation(dir.path(), "FileSystem", "General");
  terrain.SetFileOpener(&CGAMapReader::OpenFromResources);
  const bool loaded = terrain.LoadMap("rg.map", 16);
  groups.removeResourceLocation(dir.path(), "General");
  ASSERT_TRUE(loaded) << log.All();
  EXPECT_EQ(terrain.GetObstacle(63, 63), 50);
}

TEST(DemoMaps, TheGeneratedMapsLoadWithTheirDescribedSizes) {
  // The build writes the demo maps into the build folder, the tests' working
  // directory.
  EngineUp engine;
  LogLines log;
  CGATerrainManager terrain(nullptr, false);
  terrain.SetFileOpener(CGAMapReader::OpenFromFolder("maps"));

  ASSERT_TRUE(terrain.LoadMap("demo_flat.map", 16)) << log.All();
  EXPECT_EQ(terrain.GetWorldSizeX(), 64.0f);
  EXPECT_EQ(terrain.GetTileCountX() * terrain.GetTileCountZ(), 4u);
  EXPECT_EQ(terrain.GetLogic(40, 48), 1);  // the lanes, in the start view
  EXPECT_EQ(terrain.GetLogic(31, 48), 3);  // the defeat cells at its left edge
  EXPECT_EQ(terrain.GetLogic(20, 48), 0);
  EXPECT_EQ(terrain.GetHeight(20, 20), 32.0f);

  ASSERT_TRUE(terrain.LoadMap("demo_full.map", 16)) << log.All();
  EXPECT_FALSE(log.Has({"Map demo_"})) << log.All();
  EXPECT_EQ(terrain.GetGridSizeX(), 64.0f);
  EXPECT_EQ(terrain.GetWorldSizeZ(), 128.0f);
  EXPECT_EQ(terrain.GetTileCountX() * terrain.GetTileCountZ(), 16u);
  EXPECT_EQ(terrain.GetObstacle(10, 71), CGATerrainManager::kBlockedCell);  // the wall
  EXPECT_NE(terrain.GetObstacle(63, 71), CGATerrainManager::kBlockedCell);  // its gap
  EXPECT_EQ(terrain.GetLogic(48, 48), 1);                                  // the lanes in view
  EXPECT_EQ(terrain.GetLogic(64, 48), 0);                                  // the road beyond
  EXPECT_EQ(terrain.GetLogic(35, 48), 3);                                  // the defeat cells
  EXPECT_GT(terrain.GetHeight(106, 96), 37.0f);                            // a hill top
  EXPECT_NEAR(terrain.GetHeight(64, 50), 32.0f, 1e-2);
  EXPECT_GT(terrain.GetMaterial()->GetBlendMap()->GetValue(4 * 32, 4 * 24, 1), 200);  // soil along the lanes
  EXPECT_EQ(terrain.GetMaterial()->GetPaintByte(32, 24, 0), 2);                        // trodden dirt
  EXPECT_GT(terrain.GetLightColour(10, 10).r, 0.5f);
  // Enemies coming from the north reach the south through the gap.
  std::vector<Ogre::Vector2> path =
      terrain.GetPathFinder()->FindPath(Ogre::Vector2(10, 120), Ogre::Vector2(100, 5), 100000);
  ASSERT_GE(path.size(), 2u);
  EXPECT_EQ(path.back(), Ogre::Vector2(100, 5));
}

}  // namespace
