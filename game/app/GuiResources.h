#pragma once
// Where the GUI reads its files: through the engine's resource groups, as the
// GUI's own engine provider does, except font files that lie in a folder of
// plain files. Those are mapped into memory instead of read into it: the
// font face reads only the parts it needs, so of the large CJK font only the
// pages of the glyphs shown stay resident.
#include <CEGUI/RendererModules/Ogre/Renderer.h>
#include <CEGUI/RendererModules/Ogre/ResourceProvider.h>
#include <CEGUI/RendererModules/Ogre/Texture.h>

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

// A GUI texture whose pixels, once uploaded, are not kept: the GUI's own
// engine texture keeps a copy of every image and font page it uploads, and
// never frees it (about 25 MB in a level, most of it the font's pages).
class GuiTexture : public CEGUI::OgreTexture {
 public:
  explicit GuiTexture(const CEGUI::String& name) : CEGUI::OgreTexture(name) {}
  GuiTexture(const CEGUI::String& name, const CEGUI::Sizef& size) : CEGUI::OgreTexture(name, size) {}
  ~GuiTexture() override = default;

  void loadFromMemory(const void* buffer, const CEGUI::Sizef& size, PixelFormat format) override;
};

// The GUI's engine renderer, making its named textures as GuiTexture. Render
// targets and textures made around an engine texture stay the base's.
class GuiRenderer : public CEGUI::OgreRenderer {
 public:
  static GuiRenderer& Create(Ogre::RenderTarget& target) { return *new GuiRenderer(target); }

  using CEGUI::OgreRenderer::createTexture;

  CEGUI::Texture& createTexture(const CEGUI::String& name) override;
  CEGUI::Texture& createTexture(const CEGUI::String& name, const CEGUI::String& filename,
                                const CEGUI::String& resourceGroup) override;
  CEGUI::Texture& createTexture(const CEGUI::String& name, const CEGUI::Sizef& size) override;
  void destroyTexture(CEGUI::Texture& texture) override;
  void destroyTexture(const CEGUI::String& name) override;
  void destroyAllTextures() override;
  CEGUI::Texture& getTexture(const CEGUI::String& name) const override;
  bool isTextureDefined(const CEGUI::String& name) const override;

 protected:
  explicit GuiRenderer(Ogre::RenderTarget& target) : CEGUI::OgreRenderer(target) {}
  ~GuiRenderer() override;

 private:
  GuiTexture& Add(const CEGUI::String& name, GuiTexture* texture);

  std::map<CEGUI::String, GuiTexture*> mTextures;
};
