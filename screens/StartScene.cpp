#include "screens/StartScene.h"

#include "game/Camera.h"
#include "game/FrameClock.h"
#include "terrain/TerrainManager.h"
#include "units/Unit.h"
#include "units/UnitManager.h"

#include <OgreCamera.h>
#include <OgreSceneNode.h>

template <> CGAStartScene* Ogre::Singleton<CGAStartScene>::msSingleton = nullptr;

namespace {

const char* const kMap = "start.map";
const int kFadeMs = 100;
const float kPreviewHeading = 321;
// Where the previews stand (the ground's height is the map's).
const float kCharacterX = 30.7f, kClassX = 31.5f, kPreviewZ = 221.158f;
// The backdrop's camera: an orthographic window of the screen's 4:3 shape.
const float kOrthoWidth = 15, kOrthoHeight = 11.25f;
const Ogre::Vector3 kBackdropEye(0, 53.5f, 30), kBackdropLookAt(0, 53.5f, 1);
// The character view.
const Ogre::Vector3 kViewLookAt(147.4f, 66, 154.4f);
const Ogre::Vector3 kViewEye(27.0988f, 49.7854f, 225.22f);
const Ogre::Vector3 kViewDirection(0.666587f, 0.0871548f, -0.740314f);

CGACamera& Controller() { return CGACamera::getSingleton(); }

// The engine camera hangs on the controller's node: placing it moves that.
Ogre::SceneNode& CameraNode() { return *Controller().GetCamera()->getParentSceneNode(); }

void PlaceCharacterView() {
  CameraNode().setPosition(kViewEye);
  CameraNode().setDirection(kViewDirection, Ogre::Node::TS_WORLD);
}

// The controller leaves the camera to the scene, in perspective.
void TakeCamera() {
  Controller().SetAnimating(true);
  Controller().SetFollowTarget(nullptr);
}

}  // namespace

CGAStartScene::CGAStartScene() {}

CGAStartScene::~CGAStartScene() {}

std::string CGAStartScene::ClassStem(int characterClass) {
  switch (characterClass) {
    case 1:
    case 2:
    case 4:
    case 5: return "Savage";
    case 3: return "Master";
    default: return "";
  }
}

CGAUnit* CGAStartScene::GetPreview() const {
  // A level reset deletes every unit, the preview too.
  return mPreview && CGAUnitManager::getSingleton().IsLive(mPreview) ? mPreview : nullptr;
}

void CGAStartScene::FadeOutPreview() {
  if (CGAUnit* preview = GetPreview()) preview->SetFadeOut(true, kFadeMs);
  mPreview = nullptr;
}

void CGAStartScene::HidePreview() {
  if (CGAUnit* preview = GetPreview()) {
    preview->SetFadeOut(true, kFadeMs);
    preview->SetVisible(false);
  }
  mPreview = nullptr;
}

void CGAStartScene::Reset() {
  mCharacters.clear();
  FadeOutPreview();
  CGATerrainManager::getSingleton().ClearMap();
}

void CGAStartScene::LoadScene() {
  Reset();
  CGATerrainManager& terrain = CGATerrainManager::getSingleton();
  terrain.ClearMap();
  terrain.LoadMap(kMap, CGATerrainManager::kGameCellsPerTile);
  terrain.LoadPendingStatics();

  Ogre::Camera* camera = Controller().GetCamera();
  camera->setProjectionType(Ogre::PT_ORTHOGRAPHIC);
  camera->setOrthoWindow(kOrthoWidth, kOrthoHeight);
  CameraNode().setPosition(kBackdropEye);
  CameraNode().lookAt(kBackdropLookAt, Ogre::Node::TS_WORLD);
}

void CGAStartScene::ViewCharacters() {
  TakeCamera();
  Controller().SetLookAt(kViewLookAt);
  Controller().GetCamera()->setProjectionType(Ogre::PT_PERSPECTIVE);
  PlaceCharacterView();
  HidePreview();
  if (!mCharacters.empty()) ShowCharacter(mCharacters.front().id);
}

void CGAStartScene::AddCharacter(int64_t id, bool female, int characterClass, std::vector<int32_t> extra) {
  mCharacters.push_back(PreviewCharacter{id, ClassStem(characterClass) + (female ? "_f" : "_m"), std::move(extra)});
  if (!GetPreview()) ShowCharacter(id);
}

void CGAStartScene::ShowCharacter(int64_t id) {
  HidePreview();
  for (const PreviewCharacter& character : mCharacters) {
    if (character.id != id) continue;
    mPreview = MakePreview(character.model, std::to_string(mPreviewCounter) + "_show", kCharacterX, kPreviewZ);
    if (mPreview) mPreview->SetId(static_cast<uint64_t>(id));
    ++mPreviewCounter;
    return;
  }
}

void CGAStartScene::HideCharacter(int64_t id) {
  CGAUnit* preview = GetPreview();
  if (preview && preview->GetId() == static_cast<uint64_t>(id)) FadeOutPreview();
}

void CGAStartScene::ClearCharacters() {
  HidePreview();
  mCharacters.clear();
}

void CGAStartScene::RotatePreview(int degreesPerSecond) {
  if (CGAUnit* preview = GetPreview()) preview->SetHeading(preview->GetHeading() + degreesPerSecond * FrameDeltaSeconds);
}

void CGAStartScene::ShowClass(bool female, int characterClass) {
  TakeCamera();
  if (characterClass == 2 || characterClass == 3) PlaceCharacterView();
  const std::string name = ClassStem(characterClass) + (female ? "_f_show" : "_m_show");
  if (CGAUnit* preview = GetPreview()) {
    if (preview->GetTemplateName() == name) return;
    FadeOutPreview();
  }
  // A unit of that name still fading out comes back instead of a new one.
  mPreview = MakePreview(name, name, kClassX, kPreviewZ);
  if (mPreview) mPreview->SetAction("show");
}

CGAUnit* CGAStartScene::MakePreview(const std::string& type, const std::string& name, float x, float z) {
  CGAUnit* unit = CGAUnitManager::getSingleton().CreateNamedUnit(type, name);
  if (!unit) return nullptr;  // no unit type at all
  unit->SetType(kUnitPreview);
  unit->SetPosition(Ogre::Vector3(x, 0, z));
  unit->SetHeading(kPreviewHeading);
  return unit;
}
