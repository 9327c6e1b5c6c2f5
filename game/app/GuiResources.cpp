#include "game/app/GuiResources.h"

#include <OgreArchive.h>
#include <OgreResourceGroupManager.h>

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
