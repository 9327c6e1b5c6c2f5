#include "game/ResourcePreloader.h"

#include "game/GameLog.h"
#include "game/LoadingProgress.h"

#include <OgreException.h>
#include <OgreMeshManager.h>
#include <OgreResourceGroupManager.h>
#include <OgreSkeletonManager.h>
#include <OgreTextureManager.h>

template <> CGAResourcePreloader* Ogre::Singleton<CGAResourcePreloader>::msSingleton = nullptr;

namespace {
const char* const kPreloadGroup = "General";
}

CGAResourcePreloader::CGAResourcePreloader() {}

// Requests still in flight must not report to a preloader that is gone.
CGAResourcePreloader::~CGAResourcePreloader() {
  if (Ogre::ResourceBackgroundQueue* queue = Ogre::ResourceBackgroundQueue::getSingletonPtr())
    for (const auto& [ticket, request] : mRequests)
      if (!request.prepared) queue->abortRequest(ticket);
}

Ogre::BackgroundProcessTicket CGAResourcePreloader::LoadInBackground(const std::string& resourceType,
                                                                     const std::string& name) {
  auto it = mTickets.find(name);
  if (it != mTickets.end()) return it->second;
  // The engine is built without locking around GPU resources, so its worker
  // only reads the data; the load that makes buffers and textures happens
  // here, on the thread that draws.
  Ogre::BackgroundProcessTicket ticket =
      Ogre::ResourceBackgroundQueue::getSingleton().prepare(resourceType, name, kPreloadGroup, false, nullptr, nullptr, this);
  mTickets[name] = ticket;
  mRequests[ticket] = Request{resourceType, name};
  return ticket;
}

void CGAResourcePreloader::operationCompleted(Ogre::BackgroundProcessTicket ticket,
                                              const Ogre::BackgroundProcessResult& result) {
  auto it = mRequests.find(ticket);
  if (it == mRequests.end()) return;
  it->second.prepared = true;
  if (result.error) GameLog(it->second.name + ": cannot be read in the background: " + result.message);
}

bool CGAResourcePreloader::IsLoaded(Ogre::BackgroundProcessTicket ticket) {
  auto it = mRequests.find(ticket);
  if (it == mRequests.end()) return true;  // nothing asked under that ticket
  Request& request = it->second;
  if (!request.prepared) return false;
  if (!request.loaded) {
    request.loaded = true;
    try {
      Ogre::ResourceGroupManager::getSingleton()._getResourceManager(request.type)->load(request.name, kPreloadGroup);
    } catch (const Ogre::Exception& e) {
      GameLog(request.name + ": cannot be loaded: " + e.getDescription());
    }
  }
  return true;
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
    Ogre::MeshManager::getSingleton().load(fileName, kPreloadGroup, Ogre::HardwareBuffer::HBU_STATIC_WRITE_ONLY,
                                           Ogre::HardwareBuffer::HBU_STATIC_WRITE_ONLY, true, true);
  } else if (extension == ".dds") {
    Ogre::TextureManager::getSingleton().load(fileName, kPreloadGroup);
  } else if (extension == ".skeleton") {
    Ogre::SkeletonManager::getSingleton().load(fileName, kPreloadGroup);
  }
}
