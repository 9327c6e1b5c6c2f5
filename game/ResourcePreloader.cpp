#include "game/ResourcePreloader.h"

#include "game/LoadingProgress.h"

#include <OgreMeshManager.h>
#include <OgreResourceGroupManager.h>
#include <OgreSkeletonManager.h>
#include <OgreTextureManager.h>

template <> CGAResourcePreloader* Ogre::Singleton<CGAResourcePreloader>::msSingleton = nullptr;

namespace {
const char* const kGroup = "General";
}

CGAResourcePreloader::CGAResourcePreloader() {}

Ogre::BackgroundProcessTicket CGAResourcePreloader::LoadInBackground(const std::string& resourceType,
                                                                     const std::string& name) {
  auto it = mTickets.find(name);
  if (it != mTickets.end()) return it->second;
  // load() prepares on the worker and finishes the GPU side on this thread
  // when the engine processes the response at the end of a frame.
  Ogre::BackgroundProcessTicket ticket =
      Ogre::ResourceBackgroundQueue::getSingleton().load(resourceType, name, kGroup);
  mTickets[name] = ticket;
  return ticket;
}

bool CGAResourcePreloader::IsLoaded(Ogre::BackgroundProcessTicket ticket) {
  return Ogre::ResourceBackgroundQueue::getSingleton().isProcessComplete(ticket);
}

void CGAResourcePreloader::PreloadGroup(const std::string& group) {
  Ogre::StringVectorPtr files = Ogre::ResourceGroupManager::getSingleton().listResourceNames(group);
  SetLoadingProgress(0, "预加载资源");
  const size_t count = files->size();
  for (size_t i = 0; i < count; ++i) {
    LoadResourceFile((*files)[i]);
    SetLoadingProgress(static_cast<int>(static_cast<double>(i) / count * 100), "预加载资源");
  }
}

void CGAResourcePreloader::LoadResourceFile(const std::string& fileName) {
  const size_t dot = fileName.find('.');
  if (dot == std::string::npos) return;
  const std::string extension = fileName.substr(dot);
  if (extension == ".mesh") {
    Ogre::MeshManager::getSingleton().load(fileName, kGroup, Ogre::HardwareBuffer::HBU_STATIC_WRITE_ONLY,
                                           Ogre::HardwareBuffer::HBU_STATIC_WRITE_ONLY, true, true);
  } else if (extension == ".dds") {
    Ogre::TextureManager::getSingleton().load(fileName, kGroup);
  } else if (extension == ".skeleton") {
    Ogre::SkeletonManager::getSingleton().load(fileName, kGroup);
  }
}
