#pragma once
// Background loading of meshes, textures and skeletons of group "General":
// the engine's background queue prepares a resource on its worker thread and
// loads it on the main thread; callers poll a ticket each frame and create
// their entities once it reports complete. Each name is requested once.
#include <OgreResourceBackgroundQueue.h>
#include <OgreSingleton.h>

#include <map>
#include <string>

// What a client of background loading asks: a ticket per resource and
// whether it has finished. Unit parts take it as a seam, so their loading
// steps can be driven without the engine's queue.
class BackgroundLoader {
 public:
  virtual ~BackgroundLoader() = default;
  virtual Ogre::BackgroundProcessTicket LoadInBackground(const std::string& resourceType, const std::string& name) = 0;
  virtual bool IsLoaded(Ogre::BackgroundProcessTicket ticket) = 0;
};

class CGAResourcePreloader : public Ogre::Singleton<CGAResourcePreloader>,
                             public BackgroundLoader,
                             private Ogre::ResourceBackgroundQueue::Listener {
 public:
  CGAResourcePreloader();
  ~CGAResourcePreloader() override;

  // The ticket of the request for that name, queued on the first call.
  Ogre::BackgroundProcessTicket LoadInBackground(const std::string& resourceType, const std::string& name) override;
  // True once the worker has read the resource (or failed to) and this
  // thread has loaded it; a failed load is logged and also counts as done.
  bool IsLoaded(Ogre::BackgroundProcessTicket ticket) override;

  // Foreground loading of every file of a group, and of one file by the part
  // of its name from the first '.' (".mesh", ".dds", ".skeleton").
  void PreloadGroup(const std::string& group);
  void LoadResourceFile(const std::string& fileName);

 private:
  struct Request {
    std::string type;
    std::string name;
    bool prepared = false;  // the queue has answered
    bool loaded = false;
  };
  void operationCompleted(Ogre::BackgroundProcessTicket ticket, const Ogre::BackgroundProcessResult& result) override;

  std::map<std::string, Ogre::BackgroundProcessTicket> mTickets;
  std::map<Ogre::BackgroundProcessTicket, Request> mRequests;
};
