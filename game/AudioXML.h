#pragma once
// Reads a sound list: an "Audio" document whose "Res" elements each make one
// sound of the sound manager (name, file, 3D or not, looping, volume, and the
// 3D minimum and maximum distances in hundredths of a world unit).
#include <CEGUI/XMLHandler.h>

#include <string>

class CTPAudioManager;

class CTPAudioXML : public CEGUI::XMLHandler {
 public:
  // `file` names the list in log lines.
  explicit CTPAudioXML(CTPAudioManager* manager, const std::string& file = std::string())
      : mManager(manager), mFile(file) {}
  ~CTPAudioXML() override = default;

  void elementStart(const CEGUI::String& element, const CEGUI::XMLAttributes& attributes) override;
  void elementEnd(const CEGUI::String& element) override;
  void text(const CEGUI::String& text) override;
  const CEGUI::String& getDefaultResourceGroup() const override;

 private:
  CTPAudioManager* mManager;
  std::string mFile;
  std::string mText;  // gathered, read by nothing
};
