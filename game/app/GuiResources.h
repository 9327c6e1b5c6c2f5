#pragma once
// Where the GUI reads its files: through the engine's resource groups, as the
// GUI's own engine provider does, except font files that lie in a folder of
// plain files. Those are mapped into memory instead of read into it: the
// font face reads only the parts it needs, so of the large CJK font only the
// pages of the glyphs shown stay resident.
#include <CEGUI/RendererModules/Ogre/ResourceProvider.h>

#include <map>
#include <string>

class GuiResourceProvider : public CEGUI::OgreResourceProvider {
 public:
  ~GuiResourceProvider() override;

  void loadRawDataContainer(const CEGUI::String& filename, CEGUI::RawDataContainer& output,
                            const CEGUI::String& resourceGroup) override;
  void unloadRawDataContainer(CEGUI::RawDataContainer& data) override;

  // The file behind a font resource of the group ("" for any group) when it
  // is a plain file on disk; empty otherwise.
  static std::string FontFilePath(const std::string& filename, const std::string& resourceGroup);

 private:
  std::map<const void*, size_t> mMapped;  // mapped font files and their sizes
};
