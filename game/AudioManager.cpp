#include "game/AudioManager.h"

#include "game/AudioXML.h"
#include "game/DataFiles.h"
#include "game/GameLog.h"
#include "platform/Sound.h"
#include "platform/Tick.h"

#include <CEGUI/DataContainer.h>
#include <CEGUI/Exceptions.h>
#include <CEGUI/ResourceProvider.h>
#include <CEGUI/System.h>
#include <CEGUI/XMLParser.h>
#include <OgreResourceGroupManager.h>
#include <OgreSceneNode.h>

template <> CTPAudioManager* Ogre::Singleton<CTPAudioManager>::msSingleton = nullptr;

namespace {

const int kInitialRecords = 100;
const int kRecordGrowth = 20;
// A record started this recently is not reused: the same sound asked for
// again at once gets a record of its own and may sound twice.
const uint32_t kReuseAfterMs = 200;
// Channels whose sound started at least this far from the listener are
// silent.
const float kHearingRange = 40.0f;

// A sound file read through an engine data stream.
class DataStreamInput : public platform::SoundInput {
 public:
  explicit DataStreamInput(Ogre::DataStreamPtr stream) : mStream(std::move(stream)) {}
  int64_t Size() override { return static_cast<int64_t>(mStream->size()); }
  size_t Read(void* buffer, size_t count) override { return mStream->read(buffer, count); }
  bool Seek(int64_t position) override {
    mStream->seek(static_cast<size_t>(position));
    return true;
  }
  int64_t Tell() override { return static_cast<int64_t>(mStream->tell()); }

 private:
  Ogre::DataStreamPtr mStream;
};

// Sound files of resource group "Main", pak archives included. The name must
// match the file's own letter case, even in archives that ignore case.
class MainGroupFiles : public CTPAudioManager::FileSource {
 public:
  std::unique_ptr<platform::SoundInput> Open(const std::string& file) override {
    Ogre::ResourceGroupManager& groups = Ogre::ResourceGroupManager::getSingleton();
    if (!groups.resourceGroupExists("Main") || !groups.resourceExists("Main", file)) return nullptr;
    try {
      const Ogre::FileInfoListPtr found = groups.findResourceFileInfo("Main", file);
      for (const Ogre::FileInfo& info : *found)
        if (info.filename == file) return std::make_unique<DataStreamInput>(info.archive->open(file));
    } catch (const Ogre::Exception& e) {
      GameLog("Sound file " + file + " could not be opened: " + e.getDescription());
    }
    return nullptr;
  }
};

platform::SoundVector ToSound(const Ogre::Vector3& v) { return {v.x, v.y, v.z}; }

platform::SoundOptions OptionsOf(int mode) {
  platform::SoundOptions options;
  options.is3D = mode == CTPAudioManager::kMode3D || mode == CTPAudioManager::kMode3DLoop;
  options.stream = !options.is3D;
  options.loop = mode == CTPAudioManager::kMode3DLoop || mode == CTPAudioManager::kModeStreamLoop;
  return options;
}

bool IsMode(int mode) { return mode >= CTPAudioManager::kMode3D && mode <= CTPAudioManager::kModeStreamLoop; }

}  // namespace

CTPAudioManager::CTPAudioManager() : CTPAudioManager(std::make_unique<MainGroupFiles>(), platform::GetTickCount) {}

CTPAudioManager::CTPAudioManager(std::unique_ptr<FileSource> files, Clock clock)
    : mFiles(std::move(files)), mClock(clock), mRecords(kInitialRecords) {}

CTPAudioManager::~CTPAudioManager() { ReleaseAll(); }

bool CTPAudioManager::Init() {
  std::string why;
  std::unique_ptr<platform::SoundDevice> device = platform::OpenSoundDevice(kChannels, why);
  if (!device && !mToldSilent) GameLog("Sound: " + why + "; the game runs without sound");
  return Init(std::move(device));
}

bool CTPAudioManager::Init(std::unique_ptr<platform::SoundDevice> device) {
  mDevice = std::move(device);
  if (!mDevice) {
    mToldSilent = true;
    return false;
  }
  mDevice->Set3DSettings(0.0f, 10.0f, 2.0f);
  return true;
}

void CTPAudioManager::PlaySound(const std::string& name, Ogre::SceneNode* owner, int mode, bool effect) {
  if (name.empty() || !mDevice) return;
  int index = FindSound(name);
  if (!index) index = CreateSound(name, name, 1.0f, 0, 50, mode);
  if (!index) return;
  Record& record = mRecords[static_cast<size_t>(index)];

  // A sound still playing for the same owner is not stacked.
  if (owner && RecordPlays(index) && mSlots[record.channel].owner == owner) return;

  if (!record.sound) return;
  const int channel = mDevice->Play(record.sound, true);
  if (channel < 0 || channel >= kChannels) return;
  record.lastPlayed = mClock();
  record.channel = channel;

  Slot& slot = mSlots[channel];
  slot = Slot();
  slot.record = index;
  slot.owner = owner;
  if (owner) {
    slot.position = slot.lastPosition = owner->getPosition();
    mDevice->Set3DPosition(channel, ToSound(slot.position));
  }
  mDevice->Set3DMinMaxDistance(channel, record.minDistance, record.maxDistance);
  slot.volume = record.volume > 0 ? record.volume : 1.0f;
  slot.effect = effect;
  mDevice->SetVolume(channel, ChannelVolume(slot));
  mDevice->SetPaused(channel, false);
}

int CTPAudioManager::CreateSound(const std::string& name, const std::string& file, float volume, int minDistance,
                                 int maxDistance, int mode) {
  if (!mDevice) return 0;
  if (int found = FindSound(name)) return found;

  int index = ReuseFinished(name, file, mode);
  if (!index) {
    const int shared = SharedSound(file, mode);
    std::unique_ptr<platform::SoundInput> input;
    if (!shared) {
      input = mFiles->Open(file);
      if (!input) return 0;
    }
    index = ++mRecordCount;
    if (index >= static_cast<int>(mRecords.size())) mRecords.resize(mRecords.size() + kRecordGrowth);
    Record& record = mRecords[static_cast<size_t>(index)];
    record.name = name;
    record.file = file;
    record.mode = mode;
    if (!IsMode(mode)) return 0;
    record.sound = shared ? shared : mDevice->CreateSound(std::move(input), OptionsOf(mode));
    record.ownsSound = !shared && record.sound;
    if (!record.sound) {
      GameLog("Sound file " + file + " could not be decoded");
      return 0;
    }
  }
  Record& record = mRecords[static_cast<size_t>(index)];
  record.volume = volume;
  record.minDistance = minDistance / 100.0f;
  record.maxDistance = maxDistance / 100.0f;
  return record.sound ? index : 0;
}

int CTPAudioManager::FindSound(const std::string& name) const {
  const uint32_t now = mClock();
  for (int i = 1; i <= mRecordCount; ++i) {
    const Record& record = mRecords[static_cast<size_t>(i)];
    if (record.name == name && now - record.lastPlayed > kReuseAfterMs) return i;
  }
  return 0;
}

// Whether the record's sound still plays on the channel it was started on
// (a later sound may have taken that channel over).
bool CTPAudioManager::RecordPlays(int index) const {
  const int channel = mRecords[static_cast<size_t>(index)].channel;
  return channel >= 0 && mSlots[channel].record == index && mDevice->IsPlaying(channel);
}

// A record of the same sound whose play has ended, so a burst of one sound
// does not grow the table beyond the channels it keeps busy.
int CTPAudioManager::ReuseFinished(const std::string& name, const std::string& file, int mode) const {
  for (int i = 1; i <= mRecordCount; ++i) {
    const Record& record = mRecords[static_cast<size_t>(i)];
    if (record.name == name && record.file == file && record.mode == mode && !RecordPlays(i)) return i;
  }
  return 0;
}

// A sound (not a stream: those play on one channel at a time) already made
// from the same file, to play again without decoding it again.
int CTPAudioManager::SharedSound(const std::string& file, int mode) const {
  if (OptionsOf(mode).stream) return 0;
  for (int i = 1; i <= mRecordCount; ++i) {
    const Record& record = mRecords[static_cast<size_t>(i)];
    if (record.ownsSound && record.file == file && record.mode == mode) return record.sound;
  }
  return 0;
}

float CTPAudioManager::ChannelVolume(const Slot& slot) const {
  if (slot.muted) return 0.0f;
  return slot.volume * (slot.effect ? mEffectVolume : mMusicVolume);
}

void CTPAudioManager::StopSound(const std::string& name) {
  if (!mDevice) return;
  for (int channel = 0; channel < kChannels; ++channel) {
    Slot& slot = mSlots[channel];
    if (!slot.record || mRecords[static_cast<size_t>(slot.record)].name != name) continue;
    mDevice->Stop(channel);
    slot = Slot();
  }
}

void CTPAudioManager::PauseSound(const std::string& name) {
  if (!mDevice) return;
  for (int channel = 0; channel < kChannels; ++channel) {
    const Slot& slot = mSlots[channel];
    if (slot.record && mRecords[static_cast<size_t>(slot.record)].name == name && RecordPlays(slot.record))
      mDevice->SetPaused(channel, !mDevice->IsPaused(channel));
  }
}

void CTPAudioManager::StopAll() {
  if (!mDevice) return;
  for (int channel = 0; channel < kChannels; ++channel) {
    mDevice->Stop(channel);
    mSlots[channel] = Slot();
  }
}

float CTPAudioManager::GetSoundLength(int index) const {
  if (!mDevice || index <= 0 || index > mRecordCount) return 0.0f;
  const int sound = mRecords[static_cast<size_t>(index)].sound;
  return sound ? mDevice->SoundLengthMs(sound) / 1000.0f : 0.0f;
}

void CTPAudioManager::ReleaseAll() {
  if (!mDevice) return;
  StopAll();
  for (int i = 1; i <= mRecordCount; ++i)
    if (mRecords[static_cast<size_t>(i)].ownsSound) mDevice->ReleaseSound(mRecords[static_cast<size_t>(i)].sound);
  mRecords.assign(kInitialRecords, Record());
  mRecordCount = 0;
  mDevice.reset();
}

void CTPAudioManager::SetSoundVolume(float volume) {
  mEffectVolume = volume;
  ApplyMaster(true);
}

void CTPAudioManager::SetMusicVolume(float volume) {
  mMusicVolume = volume;
  ApplyMaster(false);
}

void CTPAudioManager::ApplyMaster(bool effect) {
  if (!mDevice) return;
  for (int channel = 0; channel < kChannels; ++channel) {
    const Slot& slot = mSlots[channel];
    if (slot.record && slot.effect == effect && mDevice->IsPlaying(channel))
      mDevice->SetVolume(channel, ChannelVolume(slot));
  }
}

void CTPAudioManager::Update(const Ogre::Vector3& listener, float) {
  if (!mDevice) return;
  mDevice->SetListener(ToSound(listener), {0, 0, -1}, {0, 1, 0});
  mDevice->Update();
  mLastListener = listener;
  // Owned sounds stay where they started; far ones fall silent.
  for (int channel = 0; channel < kChannels; ++channel) {
    Slot& slot = mSlots[channel];
    if (!slot.record || !slot.owner) continue;
    mDevice->Set3DPosition(channel, ToSound(slot.position));
    slot.muted = listener.distance(slot.position) >= kHearingRange;
    mDevice->SetVolume(channel, ChannelVolume(slot));
    slot.lastPosition = slot.position;
  }
}

int CTPAudioManager::LoadSoundList(const std::string& file) {
  CEGUI::System* gui = CEGUI::System::getSingletonPtr();
  if (!gui || !gui->getXMLParser()) return -1;
  const std::string where = "Sound list " + file;
  CTPAudioXML handler(this, where);
  CEGUI::ResourceProvider* files = gui->getResourceProvider();
  CEGUI::RawDataContainer raw;
  bool read = false;
  try {
    files->loadRawDataContainer(file, raw, "");
    // Checked before the GUI library's parser sees it, as every XML file.
    const std::string text(reinterpret_cast<const char*>(raw.getDataPtr()), raw.getSize());
    if (CheckXmlDepth(text, where)) {
      gui->getXMLParser()->parseXML(handler, raw, "");
      read = true;
    }
  } catch (const CEGUI::Exception& e) {
    GameLog(where + " could not be read: " + e.getMessage().c_str());
  }
  files->unloadRawDataContainer(raw);
  return read ? 1 : -1;
}
