// The sound list is read by the GUI library's XML parser: like every XML
// file of the game it is refused before parsing when it nests too deep.
#include "GuiTestSystem.h"
#include "game/AudioManager.h"
#include "tests/support/LogLines.h"
#include "tests/support/TempDir.h"

#include <CEGUI/CEGUI.h>
#include <gtest/gtest.h>

namespace {

TEST(SoundList, ADeeplyNestedListIsRefusedNamingIt) {
  GuiTestSystem();
  LogLines log;
  TempDir dir;
  dir.write("sounds.xml", "<Audio><Res name=\"thud\" file=\"hit.wav\"/></Audio>");
  std::string deep = "<Audio>";
  for (int i = 0; i < 100000; ++i) deep += "<Res>";
  dir.write("deep.xml", deep);
  auto* files = static_cast<CEGUI::DefaultResourceProvider*>(CEGUI::System::getSingleton().getResourceProvider());
  const CEGUI::String guiFiles = files->getDefaultResourceGroup();
  files->setResourceGroupDirectory("sound_lists", dir.path());
  files->setDefaultResourceGroup("sound_lists");

  CTPAudioManager sounds;
  EXPECT_EQ(sounds.LoadSoundList("sounds.xml"), 1);
  EXPECT_EQ(sounds.LoadSoundList("deep.xml"), -1);
  EXPECT_TRUE(log.Has({"deep.xml", "nest deeper than"})) << log.All();
  files->setDefaultResourceGroup(guiFiles);
}

}  // namespace
