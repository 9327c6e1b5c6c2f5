#pragma once
// The sound manager: plays every sound of the game by name on 50 channels,
// interface clicks and wave signals in 2D, level music as looping 2D
// streams, unit and skill sounds in 3D at a scene node's position. A sound
// is made on first use from the file of the same name in resource group
// "Main". Two master volumes scale effect sounds and music; once a frame the
// listener moves to the camera's look-at point and far sounds fall silent.
#include <OgreSingleton.h>
#include <OgreVector.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Ogre {
class SceneNode;
}
namespace platform {
class SoundDevice;
class SoundInput;
}  // namespace platform

class CTPAudioManager : public Ogre::Singleton<CTPAudioManager> {
 public:
  static const int kChannels = 50;
  // How a sound is made: 3D once or looping, 2D stream once or looping.
  enum Mode { kMode3D = 1, kMode3DLoop = 2, kModeStream = 3, kModeStreamLoop = 4 };

  // Where sound files come from.
  class FileSource {
   public:
    virtual ~FileSource() = default;
    // Null when there is no file of exactly that name (letter case counts).
    virtual std::unique_ptr<platform::SoundInput> Open(const std::string& file) = 0;
  };
  using Clock = uint32_t (*)();

  // Files from resource group "Main", time from the tick count.
  CTPAudioManager();
  CTPAudioManager(std::unique_ptr<FileSource> files, Clock clock);
  ~CTPAudioManager();

  // Opens the sound output. Without one the game runs silent (said once in
  // the log) and every call here does nothing.
  bool Init();
  bool Init(std::unique_ptr<platform::SoundDevice> device);

  // Starts a sound by name, made with `mode` if it is new. With an owner the
  // sound plays at the owner's position at this moment; a sound still playing
  // for the same owner is not started again.
  void PlaySound(const std::string& name, Ogre::SceneNode* owner, int mode, bool effect);
  // The record index of a new (or reusable) sound, 0 when none could be made.
  // Distances are in hundredths of a world unit.
  int CreateSound(const std::string& name, const std::string& file, float volume, int minDistance,
                  int maxDistance, int mode);
  // A record of that name not started in the last 200 ms, else 0.
  int FindSound(const std::string& name) const;

  // Stops (or pauses and resumes) every channel playing a sound of that name.
  void StopSound(const std::string& name);
  void PauseSound(const std::string& name);
  void StopAll();
  // Seconds, 0 for no sound.
  float GetSoundLength(int record) const;
  // Stops everything, forgets every sound and closes the output.
  void ReleaseAll();

  // Master volumes 0..1, reaching the sounds already playing.
  void SetSoundVolume(float volume);
  void SetMusicVolume(float volume);
  float GetSoundVolume() const { return mEffectVolume; }
  float GetMusicVolume() const { return mMusicVolume; }

  void Update(const Ogre::Vector3& listener, float seconds);

  // Makes the sounds of a sound list file; 1, or -1 when it could not be read.
  int LoadSoundList(const std::string& file);

  int GetRecordCount() const { return mRecordCount; }
  bool HasDevice() const { return mDevice != nullptr; }

 private:
  struct Record {
    std::string name;
    std::string file;
    int mode = 0;
    float volume = 0;
    float minDistance = 0, maxDistance = 0;  // world units
    int sound = 0;           // the device's sound; may be shared with records of the same file and mode
    bool ownsSound = false;  // this record made it and releases it
    uint32_t lastPlayed = 0;  // tick count; 0 = never
    int channel = -1;         // where it last started
  };
  struct Slot {
    int record = 0;  // 0: empty
    Ogre::SceneNode* owner = nullptr;  // compared only, never read after the start
    Ogre::Vector3 position = Ogre::Vector3::ZERO;  // the owner's position at the start
    Ogre::Vector3 lastPosition = Ogre::Vector3::ZERO;
    bool effect = true;
    float volume = 1;     // the sound's own volume; the master is applied on top
    bool muted = false;   // too far from the listener
  };

  bool RecordPlays(int index) const;
  int ReuseFinished(const std::string& name, const std::string& file, int mode) const;
  int SharedSound(const std::string& file, int mode) const;
  float ChannelVolume(const Slot& slot) const;
  void ApplyMaster(bool effect);

  std::unique_ptr<FileSource> mFiles;
  Clock mClock;
  std::unique_ptr<platform::SoundDevice> mDevice;
  bool mToldSilent = false;
  int mRecordCount = 0;
  Ogre::Vector3 mLastListener = Ogre::Vector3::ZERO;
  std::vector<Record> mRecords;
  Slot mSlots[kChannels];
  float mEffectVolume = 1.0f;
  float mMusicVolume = 1.0f;
};
