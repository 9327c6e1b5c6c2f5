#include "GuiTestSystem.h"

#include "tests/support/HeadlessEngine.h"
#include "tests/support/TempDir.h"

#include <CEGUI/CEGUI.h>
#include <CEGUI/RendererModules/Null/Renderer.h>
#include <OgreLogManager.h>
#include <OgreResourceGroupManager.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

// The game finds its GUI files in several folders through the engine's
// resource groups; the null renderer's resource provider reads one folder.
void LinkFiles(const std::string& from, const std::string& to) {
  for (const auto& entry : fs::directory_iterator(from)) {
    const fs::path target = fs::path(to) / entry.path().filename();
    if (entry.is_regular_file() && !fs::exists(target)) fs::create_symlink(entry.path(), target);
  }
}

}  // namespace

CEGUI::GUIContext& Context() { return CEGUI::System::getSingleton().getDefaultGUIContext(); }

void GuiTestSystem() {
  static TempDir guiFiles;
  static const bool ready = [] {
    HeadlessEngine();
    Ogre::ResourceGroupManager& groups = Ogre::ResourceGroupManager::getSingleton();
    groups.addResourceLocation(YVEK_DATA_DIR "/main", "FileSystem", "Main");
    groups.initialiseResourceGroup("Main");

    for (const char* folder : {YVEK_DATA_DIR "/pak/gui", CEGUI_DATA_DIR "/schemes", CEGUI_DATA_DIR "/imagesets",
                               CEGUI_DATA_DIR "/looknfeel", CEGUI_DATA_DIR "/fonts", CJK_FONT_DIR})
      LinkFiles(folder, guiFiles.path());
    // The game's window size before the GUI context exists: the context and
    // its pointer take their area from it.
    CEGUI::NullRenderer& renderer = CEGUI::NullRenderer::create();
    renderer.setDisplaySize(CEGUI::Sizef(800, 600));
    CEGUI::System::create(renderer);
    auto* files = static_cast<CEGUI::DefaultResourceProvider*>(CEGUI::System::getSingleton().getResourceProvider());
    files->setResourceGroupDirectory("gui", guiFiles.path());
    files->setDefaultResourceGroup("gui");
    return true;
  }();
  (void)ready;
}

void ClickAt(float x, float y) {
  Context().injectMousePosition(x, y);
  Context().injectMouseButtonDown(CEGUI::LeftButton);
  Context().injectMouseButtonUp(CEGUI::LeftButton);
}

void Click(const CEGUI::Window* window) {
  const CEGUI::Rectf area = window->getUnclippedOuterRect().get();
  ClickAt(area.left() + area.getWidth() / 2, area.top() + area.getHeight() / 2);
}

void ClickItem(const CEGUI::Listbox* list, size_t index) {
  const CEGUI::Rectf area = list->getListRenderArea();
  const float height = list->getListboxItemFromIndex(index)->getPixelSize().d_height;
  const CEGUI::Vector2f origin = list->getUnclippedOuterRect().get().getPosition();
  ClickAt(origin.d_x + area.left() + 4, origin.d_y + area.top() + height * (index + 0.5f));
}

void Type(const std::u32string& text) {
  for (char32_t c : text) Context().injectChar(static_cast<CEGUI::String::value_type>(c));
}

void ShippedData() {
  static const bool ready = [] {
    GuiTestSystem();  // data/main in "Main"
    Ogre::LogManager::getSingleton().getDefaultLog()->setLogDetail(Ogre::LL_LOW);
    auto& groups = Ogre::ResourceGroupManager::getSingleton();
    for (const char* folder : {YVEK_DATA_DIR "/general", YVEK_BUILD_DIR "/general", YVEK_BUILD_DIR "/maps"})
      groups.addResourceLocation(folder, "FileSystem", "General");
    for (const char* folder : {YVEK_DATA_DIR "/units", YVEK_DATA_DIR "/effects"})
      groups.addResourceLocation(folder, "FileSystem", "Main");
    groups.initialiseResourceGroup("General");
    groups.initialiseResourceGroup("Main");
    return true;
  }();
  (void)ready;
}
