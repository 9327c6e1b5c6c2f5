#include "game/app/GuiResources.h"

#include <CEGUI/Exceptions.h>
#include <OgreArchive.h>
#include <OgreHardwarePixelBuffer.h>
#include <OgreResourceGroupManager.h>
#include <OgreTextureManager.h>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool IsFontFile(const std::string& name) {
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos) return false;
  std::string extension = name.substr(dot + 1);
  for (char& c : extension) c = char(std::tolower(static_cast<unsigned char>(c)));
  return extension == "ttf" || extension == "ttc" || extension == "otf";
}

}  // namespace

GuiResourceProvider::~GuiResourceProvider() {
  for (const auto& [data, size] : mMapped) munmap(const_cast<void*>(data), size);
}

std::string GuiResourceProvider::FontFilePath(const std::string& filename, const std::string& resourceGroup) {
  if (!IsFontFile(filename)) return std::string();
  Ogre::ResourceGroupManager& groups = Ogre::ResourceGroupManager::getSingleton();
  try {
    const std::string group =
        resourceGroup.empty() ? groups.findGroupContainingResource(filename) : resourceGroup;
    Ogre::FileInfoListPtr found = groups.findResourceFileInfo(group, filename);
    for (const Ogre::FileInfo& file : *found)
      if (file.archive && file.archive->getType() == "FileSystem")
        return file.archive->getName() + "/" + file.filename;
  } catch (const Ogre::Exception&) {
  }
  return std::string();
}

void GuiResourceProvider::loadRawDataContainer(const CEGUI::String& filename, CEGUI::RawDataContainer& output,
                                               const CEGUI::String& resourceGroup) {
  const std::string path = FontFilePath(filename.c_str(), resourceGroup.c_str());
  if (!path.empty()) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat info;
    if (fd >= 0 && fstat(fd, &info) == 0 && info.st_size > 0) {
      void* data = mmap(nullptr, size_t(info.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
      close(fd);
      if (data != MAP_FAILED) {
        mMapped[data] = size_t(info.st_size);
        output.setData(static_cast<CEGUI::uint8*>(data));
        output.setSize(size_t(info.st_size));
        return;
      }
    } else if (fd >= 0) {
      close(fd);
    }
  }
  CEGUI::OgreResourceProvider::loadRawDataContainer(filename, output, resourceGroup);
}

void GuiResourceProvider::unloadRawDataContainer(CEGUI::RawDataContainer& data) {
  auto mapped = mMapped.find(data.getDataPtr());
  if (mapped == mMapped.end()) {
    CEGUI::OgreResourceProvider::unloadRawDataContainer(data);
    return;
  }
  munmap(const_cast<void*>(mapped->first), mapped->second);
  mMapped.erase(mapped);
  // The container would free what it points at.
  data.setData(nullptr);
  data.setSize(0);
}

void GuiTexture::loadFromMemory(const void* buffer, const CEGUI::Sizef& size, PixelFormat format) {
  if (!isPixelFormatSupported(format))
    throw CEGUI::InvalidRequestException("Data was supplied in an unsupported pixel format.");
  // As the base class does, less the copy of the pixels it keeps.
  freeOgreTexture();
  createEmptyOgreTexture(format);
  d_isLinked = false;
  d_texture->freeInternalResources();
  d_texture->setWidth(Ogre::uint32(size.d_width));
  d_texture->setHeight(Ogre::uint32(size.d_height));
  d_texture->setDepth(1);
  d_texture->createInternalResources();
  const Ogre::PixelBox pixels(Ogre::uint32(size.d_width), Ogre::uint32(size.d_height), 1, toOgrePixelFormat(format),
                              const_cast<void*>(buffer));
  d_texture->getBuffer(0, 0)->blitFromMemory(pixels);
  d_size = CEGUI::Sizef(float(d_texture->getWidth()), float(d_texture->getHeight()));
  d_dataSize = size;
  updateCachedScaleValues();
}

GuiRenderer::~GuiRenderer() { destroyAllTextures(); }

GuiTexture& GuiRenderer::Add(const CEGUI::String& name, GuiTexture* texture) {
  if (isTextureDefined(name)) {
    delete texture;
    throw CEGUI::AlreadyExistsException("A texture named '" + name + "' already exists.");
  }
  mTextures[name] = texture;
  return *texture;
}

CEGUI::Texture& GuiRenderer::createTexture(const CEGUI::String& name) { return Add(name, new GuiTexture(name)); }

CEGUI::Texture& GuiRenderer::createTexture(const CEGUI::String& name, const CEGUI::Sizef& size) {
  return Add(name, new GuiTexture(name, size));
}

CEGUI::Texture& GuiRenderer::createTexture(const CEGUI::String& name, const CEGUI::String& filename,
                                           const CEGUI::String& resourceGroup) {
  GuiTexture& texture = Add(name, new GuiTexture(name));
  try {
    texture.loadFromFile(filename, resourceGroup);
  } catch (...) {
    destroyTexture(name);
    throw;
  }
  return texture;
}

void GuiRenderer::destroyTexture(CEGUI::Texture& texture) { destroyTexture(texture.getName()); }

void GuiRenderer::destroyTexture(const CEGUI::String& name) {
  auto own = mTextures.find(name);
  if (own == mTextures.end()) {
    CEGUI::OgreRenderer::destroyTexture(name);
    return;
  }
  delete own->second;
  mTextures.erase(own);
}

void GuiRenderer::destroyAllTextures() {
  for (const auto& [name, texture] : mTextures) delete texture;
  mTextures.clear();
  CEGUI::OgreRenderer::destroyAllTextures();
}

CEGUI::Texture& GuiRenderer::getTexture(const CEGUI::String& name) const {
  auto own = mTextures.find(name);
  return own != mTextures.end() ? *own->second : CEGUI::OgreRenderer::getTexture(name);
}

bool GuiRenderer::isTextureDefined(const CEGUI::String& name) const {
  return mTextures.count(name) != 0 || CEGUI::OgreRenderer::isTextureDefined(name);
}
