#pragma once
// Background loading of meshes, textures and skeletons of group "General":
// the engine's background queue prepares a resource on its worker thread and
// loads it on the main thread; callers poll a ticket each frame and create
// their entities once it reports complete. Each name is requested once.
#include <OgreResourceBackgroundQueue.h>
#include <OgreSingleton.h>

#include <map>
#include <string>

class CGAResourcePreloader : public Ogre::Singleton<CGAResourcePreloader> {
 public:
  CGAResourcePreloader();

  // The ticket of the request for that name, queued on the first call.
  Ogre::BackgroundProcessTicket LoadInBackground(const std::string& resourceType, const std::string& name);
  bool IsLoaded(Ogre::BackgroundProcessTicket ticket);

  // Foreground loading of every file of a group, and of one file by the part
  // of its name from the first '.' (".mesh", ".dds", ".skeleton").
  void PreloadGroup(const std::string& group);
  void LoadResourceFile(const std::string& fileName);

 private:
  std::map<std::string, Ogre::BackgroundProcessTicket> mTickets;
};
