// The GUI's resource provider maps font files that are plain files instead
// of reading them (the large CJK font stays mostly on disk); the data the
// font face sees is the file's, and every other file is read as before.
#include "game/app/GuiResources.h"
#include "tests/support/HeadlessEngine.h"
#include "tests/support/TempDir.h"

#include <CEGUI/DataContainer.h>
#include <Ogre.h>
#include <gtest/gtest.h>

#include <string>

namespace {

class GuiResources : public ::testing::Test {
 protected:
  GuiResources() {
    dir.write("face.ttc", font);
    dir.write("look.scheme", "<GUIScheme/>");
    if (!groups.resourceGroupExists("GuiTest")) groups.createResourceGroup("GuiTest");
    groups.addResourceLocation(dir.path(), "FileSystem", "GuiTest");
    groups.initialiseResourceGroup("GuiTest");
  }
  ~GuiResources() override { groups.destroyResourceGroup("GuiTest"); }

  std::string Read(GuiResourceProvider& provider, const char* name, const char* group, bool& mapped) {
    CEGUI::RawDataContainer data;
    provider.loadRawDataContainer(name, data, group);
    const std::string bytes(reinterpret_cast<const char*>(data.getDataPtr()), data.getSize());
    mapped = !GuiResourceProvider::FontFilePath(name, group).empty();
    provider.unloadRawDataContainer(data);
    EXPECT_EQ(data.getDataPtr(), nullptr);
    return bytes;
  }

  Ogre::Root& root = HeadlessEngine();
  TempDir dir;
  Ogre::ResourceGroupManager& groups = Ogre::ResourceGroupManager::getSingleton();
  const std::string font = std::string("ttcf\0\1\0\0", 8) + std::string(5000, 'g');
};

TEST_F(GuiResources, FontFilesAreMappedAndOtherFilesReadBothWithTheirBytes) {
  GuiResourceProvider provider;
  for (const char* group : {"GuiTest", ""}) {
    bool mapped = false;
    EXPECT_EQ(Read(provider, "face.ttc", group, mapped), font) << group;
    EXPECT_TRUE(mapped) << group;
    EXPECT_EQ(Read(provider, "look.scheme", group, mapped), "<GUIScheme/>") << group;
    EXPECT_FALSE(mapped) << group;
  }
  EXPECT_EQ(GuiResourceProvider::FontFilePath("face.ttc", "GuiTest"), dir.file("face.ttc"));
  EXPECT_EQ(GuiResourceProvider::FontFilePath("missing.ttf", "GuiTest"), "");
}

}  // namespace
