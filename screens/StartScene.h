#pragma once
// The start screen's 3-D backdrop: the map "start.map" seen through a fixed
// camera, with one preview character standing on it, chosen from a list of
// characters or by class and gender, and turned by the player. The game
// makes the one instance at start-up and does not drive it yet.
#include <OgreSingleton.h>

#include <cstdint>
#include <string>
#include <vector>

class CGAUnit;

struct PreviewCharacter {
  int64_t id = 0;
  std::string model;           // the unit type that shows the character
  std::vector<int32_t> extra;  // kept with the character, never read
};

class CGAStartScene : public Ogre::Singleton<CGAStartScene> {
 public:
  CGAStartScene();
  ~CGAStartScene();

  // The backdrop: "start.map" under an orthographic camera.
  void LoadScene();
  // The character view, with the first stored character.
  void ViewCharacters();
  // Stores a character; the first one is shown at once.
  void AddCharacter(int64_t id, bool female, int characterClass, std::vector<int32_t> extra);
  // The stored character of that id as a new preview; the old one goes.
  void ShowCharacter(int64_t id);
  // The preview goes when it shows that id; the character stays stored.
  void HideCharacter(int64_t id);
  // The class's look for that gender: kept when it is the one shown.
  void ShowClass(bool female, int characterClass);
  // Turns the preview by that speed over the last frame.
  void RotatePreview(int degreesPerSecond);
  // The preview fades out, hidden at once.
  void HidePreview();
  // Characters and preview go, and the map.
  void Reset();
  void ClearCharacters();

  // The unit shown now, null for none (nor one the unit manager has deleted).
  CGAUnit* GetPreview() const;
  const std::vector<PreviewCharacter>& GetCharacters() const { return mCharacters; }

  // The unit type name stem of a character class; empty for an unknown one.
  static std::string ClassStem(int characterClass);

 private:
  // Starts the preview's 100 ms fade-out and forgets it.
  void FadeOutPreview();
  // A display-only unit of that type and name, placed and turned.
  CGAUnit* MakePreview(const std::string& type, const std::string& name, float x, float z);

  CGAUnit* mPreview = nullptr;
  std::vector<PreviewCharacter> mCharacters;
  int mPreviewCounter = 0;  // numbers the character previews' unit names
};
