// The unit icon widget on the GUI library's null renderer: its pictures, the
// per-frame mask, number and cooldown, and clicks.
#include "GuiTestSystem.h"
#include "game/FrameClock.h"
#include "screens/GUIAnim.h"
#include "screens/GUIAnimFile.h"
#include "screens/GUIIconEx.h"
#include "screens/GUIIconList.h"
#include "screens/LevelState.h"
#include "tests/screens/LevelGlobals.h"
#include "units/UnitTemplate.h"

#include <CEGUI/CEGUI.h>
#include <gtest/gtest.h>

namespace {

// The GUI look the game loads, once.
void GameLook() {
  GuiTestSystem();
  static const bool loaded = [] {
    CEGUI::SchemeManager::getSingleton().createFromFile("WindowsLook.scheme");
    CEGUI::SchemeManager::getSingleton().createFromFile("Yvek.scheme");
    return true;
  }();
  (void)loaded;
}

struct ClickCounter : CGAGUIIconEx::Listener {
  int clicks = 0;
  bool OnIconClick(const CEGUI::EventArgs&, CGAGUIIconEx*) override {
    ++clicks;
    return true;
  }
};

class Icon : public ::testing::Test {
 protected:
  void SetUp() override {
    GameLook();
    anims.Load(kGUIAnimFile);
    sheet = CEGUI::WindowManager::getSingleton().createWindow("DefaultWindow");
    Context().setRootWindow(sheet);
    host = CEGUI::WindowManager::getSingleton().createWindow("WindowsLook/StaticImage");
    sheet->addChild(host);
    host->setPosition(CEGUI::UVector2(CEGUI::UDim(0, 100), CEGUI::UDim(0, 100)));
    host->setSize(CEGUI::USize(CEGUI::UDim(0, 64), CEGUI::UDim(0, 64)));
    swordsman.Name = "swordsman";
    swordsman.name = "剑士";
    swordsman.icon = "1 0 0";
    swordsman.price = 50;
    swordsman.ready = 3000;
    swordsman.gold = 120;
    LevelSilver = 50;
  }
  void TearDown() override {
    icon.reset();
    Context().setRootWindow(nullptr);
    CEGUI::WindowManager::getSingleton().destroyWindow(sheet);
  }

  void Make() {
    icon.reset(new CGAGUIIconEx(0));
    icon->SetUnit(&swordsman);
    icon->SetListener(&listener);
    icon->AttachTo(host, true);
  }
  void Frame(uint32_t ms) {
    FrameDeltaMs = ms;
    FrameDeltaSeconds = ms * 0.001f;
    Context().injectTimePulse(FrameDeltaSeconds);
  }
  bool Masked() const { return icon->GetItem()->GetMask() != nullptr; }
  std::string Number() const { return icon->GetItem()->getText().c_str(); }
  void ClickIcon(CEGUI::MouseButton button) {
    Context().injectMousePosition(130, 130);
    Context().injectMouseButtonDown(button);
    Context().injectMouseButtonUp(button);
  }

  ScopedLevelGlobals globals;
  GUIAnimManager anims;
  CEGUI::Window* sheet = nullptr;
  CEGUI::Window* host = nullptr;
  UnitTemplate swordsman;
  ClickCounter listener;
  std::unique_ptr<CGAGUIIconEx> icon;
};

TEST_F(Icon, IconTextsPickCellsOfThePictureFile) {
  const CEGUI::Image* image = LoadIconImage("UIHEAD", "1 3 1");
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->getName(), "UIHEAD1/3_1");
  EXPECT_EQ(image->getRenderedSize(), CEGUI::Sizef(64, 64));
  // Drawn from the picture file's texture (the cell's place in it is the
  // pure tests' part).
  CEGUI::Renderer& renderer = *CEGUI::System::getSingleton().getRenderer();
  CEGUI::GeometryBuffer& buffer = renderer.createGeometryBuffer();
  image->render(buffer, CEGUI::Vector2f(0, 0));
  ASSERT_NE(buffer.getActiveTexture(), nullptr);
  EXPECT_EQ(buffer.getActiveTexture()->getName(), "UIHEAD1");
  EXPECT_EQ(buffer.getActiveTexture()->getOriginalDataSize(), CEGUI::Sizef(256, 192));
  renderer.destroyGeometryBuffer(buffer);
  EXPECT_EQ(LoadIconImage("UIHEAD", "1 3 1"), image);  // made once
  EXPECT_EQ(LoadIconImage("UIHEAD", "0 -1 0"), CGAGUICommon::FindImage("set:DefaultIcon image:DefaultIcon"));
  EXPECT_NE(LoadIconImage("UIHEAD", "0 -1 0"), nullptr);
  // A picture file the game does not have: the fallback, not an exception
  // out of the screen being built.
  EXPECT_EQ(LoadIconImage("UIHEAD", "9 0 0"), LoadIconImage("UIHEAD", "0 -1 0"));
}

TEST_F(Icon, ShowsPriceMaskAndCooldownInPlay) {
  Make();
  EXPECT_EQ(icon->GetItem()->GetIcon(), LoadIconImage("UIHEAD", "1 0 0"));
  EXPECT_NE(icon->GetWindow()->getTooltipText().find(CGAGUICommon::ToCEGUIString("费用：50")), CEGUI::String::npos);
  Frame(30);
  EXPECT_EQ(Number(), "50");
  EXPECT_FALSE(Masked());  // the price equals the silver
  LevelSilver = 49;
  Frame(30);
  EXPECT_TRUE(Masked());
  // The number follows a changed price rather than keeping the first one:
  // it must show what a placement would cost.
  swordsman.price = 40;
  Frame(30);
  EXPECT_EQ(Number(), "40");
  EXPECT_FALSE(Masked());
  swordsman.price = 50;

  swordsman.cooldownLeft = 3000;
  Frame(1500);
  EXPECT_EQ(swordsman.cooldownLeft, 1500);
  EXPECT_FLOAT_EQ(icon->GetItem()->GetProgress(), 0.5f);
  BattlePaused = 1;
  Frame(1000);
  EXPECT_EQ(swordsman.cooldownLeft, 1500);
  BattlePaused = 0;
  // A hidden icon runs nothing.
  host->hide();
  Frame(1000);
  EXPECT_EQ(swordsman.cooldownLeft, 1500);
  host->show();
  Frame(2000);
  EXPECT_EQ(swordsman.cooldownLeft, 0);
  EXPECT_FLOAT_EQ(icon->GetItem()->GetProgress(), 1.0f);
}

// Without the mask image an unaffordable icon has no mask to show; it used
// to set none again and redraw its list box on every frame.
TEST_F(Icon, WithoutTheMaskImageAnUnaffordableIconRedrawsNothing) {
  CEGUI::ImageManager& images = CEGUI::ImageManager::getSingleton();
  images.destroyImageCollection("Mask");
  struct Restore {
    ~Restore() {
      CEGUI::ImageManager& all = CEGUI::ImageManager::getSingleton();
      if (!all.isDefined("Mask/Mask_0")) all.loadImageset("Mask.imageset");
    }
  } restore;
  Make();
  LevelSilver = 0;
  Frame(30);  // the number
  int redraws = 0;
  CEGUI::Window* list = icon->GetWindow()->getChildAtIdx(0);  // the list box the icon draws in
  ASSERT_EQ(list, icon->GetItem()->getOwnerWindow());
  const CEGUI::Event::ScopedConnection watch =
      list->subscribeEvent(CEGUI::Window::EventInvalidated, [&redraws](const CEGUI::EventArgs&) {
        ++redraws;
        return true;
      });
  for (int i = 0; i < 5; ++i) Frame(30);
  EXPECT_FALSE(Masked());
  EXPECT_EQ(redraws, 0);
  // The image back: the mask shows at the next update.
  images.loadImageset("Mask.imageset");
  Frame(30);
  EXPECT_TRUE(Masked());
  EXPECT_GT(redraws, 0);
}

TEST_F(Icon, OnTheUnlockScreenShowsTheGoldOfALockedType) {
  Make();
  GameState = kGameUnlocking;
  Frame(30);
  EXPECT_EQ(Number(), "120");
  EXPECT_TRUE(Masked());
  swordsman.unlocked = true;
  Frame(30);
  EXPECT_EQ(Number(), "");
  EXPECT_FALSE(Masked());
}

TEST_F(Icon, OnlyALeftClickReachesTheListener) {
  Make();
  LevelSilver = 0;
  Frame(30);
  ASSERT_TRUE(Masked());
  ClickIcon(CEGUI::RightButton);
  EXPECT_EQ(listener.clicks, 0);
  EXPECT_TRUE(Masked());
  ClickIcon(CEGUI::LeftButton);
  EXPECT_EQ(listener.clicks, 1);
  EXPECT_FALSE(Masked());  // until the next update
  Frame(30);
  EXPECT_TRUE(Masked());
}

TEST_F(Icon, AttachingMovesTheIconBetweenHosts) {
  Make();
  EXPECT_EQ(icon->GetWindow()->getParent(), host);
  icon->AttachTo(host, true);
  EXPECT_EQ(icon->GetWindow()->getParent(), host);
  CEGUI::Window* other = CEGUI::WindowManager::getSingleton().createWindow("DefaultWindow");
  sheet->addChild(other);
  icon->AttachTo(other, true);
  EXPECT_EQ(icon->GetWindow()->getParent(), other);
  EXPECT_EQ(host->getChildCount(), 0u);
  icon->AttachTo(nullptr);
  EXPECT_EQ(other->getChildCount(), 0u);
  EXPECT_FALSE(static_cast<CEGUI::DragContainer*>(icon->GetWindow())->isDraggingEnabled());
  icon->SetSelected(true);
  EXPECT_TRUE(icon->GetItem()->IsDimmed());
}

TEST_F(Icon, DrawsItsLayersIntoTheListBox) {
  Make();
  LevelSilver = 0;
  swordsman.cooldownLeft = 3000;
  Frame(30);
  CEGUI::Renderer& renderer = *CEGUI::System::getSingleton().getRenderer();
  CEGUI::GeometryBuffer& buffer = renderer.createGeometryBuffer();
  // The item's colours are kept but draw nothing.
  icon->GetItem()->SetColours(CEGUI::ColourRect(CEGUI::Colour(1, 0, 0, 1)));
  icon->GetItem()->draw(buffer, CEGUI::Rectf(0, 0, 64, 64), 1.0f, nullptr);
  // Picture, mask, sweep: one quad each, then the number twice over and four
  // outline copies (two digits).
  EXPECT_EQ(buffer.getVertexCount(), 6u * (3 + 5 * 2));
  renderer.destroyGeometryBuffer(buffer);
}

// The registry forgets every icon that shares the removed icon's id (ids are
// its keys), but deletes only the one it was given.
TEST_F(Icon, TheRegistryFindsIconsByHostAndRemovesThem) {
  CGAGUIIconList list;
  EXPECT_EQ(CGAGUIIconList::getSingletonPtr(), &list);
  CEGUI::WindowManager& windows = CEGUI::WindowManager::getSingleton();
  CEGUI::Window* other = windows.createWindow("DefaultWindow");
  sheet->addChild(other);
  auto* first = new CGAGUIIconEx(1);
  auto* second = new CGAGUIIconEx(1);
  auto* third = new CGAGUIIconEx(2);
  auto* loose = new CGAGUIIconEx(3);  // attached nowhere
  first->AttachTo(host);
  second->AttachTo(host);
  third->AttachTo(other);
  for (CGAGUIIconEx* icon : {first, second, third, loose}) list.AddIcon(icon);

  EXPECT_EQ(list.FindByHost(host), first);
  EXPECT_EQ(list.FindByHost(other), third);
  EXPECT_EQ(list.FindByHost(sheet), nullptr);

  CEGUI::Window* firstWindow = first->GetWindow();
  list.RemoveByHost(host);  // the first only
  EXPECT_FALSE(windows.isAlive(firstWindow));
  EXPECT_EQ(list.FindByHost(host), second);
  EXPECT_EQ(list.GetIcons(), (std::vector<CGAGUIIconEx*>{second, third, loose}));
  list.RemoveByHost(sheet);  // nothing there
  EXPECT_EQ(list.GetIcons().size(), 3u);

  auto* twin = new CGAGUIIconEx(2);
  list.AddIcon(twin);
  CEGUI::Window* thirdWindow = third->GetWindow();
  list.RemoveIcon(third);
  EXPECT_FALSE(windows.isAlive(thirdWindow));
  EXPECT_EQ(list.GetIcons(), (std::vector<CGAGUIIconEx*>{second, loose}));
  EXPECT_TRUE(windows.isAlive(twin->GetWindow()));  // forgotten, not deleted
  delete twin;
  list.RemoveIcon(second);
  list.RemoveIcon(loose);
  EXPECT_TRUE(list.GetIcons().empty());
  windows.destroyWindow(other);
}

TEST(IconList, TheNewestRegistryIsTheOneFound) {
  CGAGUIIconList first;
  {
    CGAGUIIconList second;
    EXPECT_EQ(CGAGUIIconList::getSingletonPtr(), &second);
  }
  EXPECT_EQ(CGAGUIIconList::getSingletonPtr(), nullptr);
}

}  // namespace
