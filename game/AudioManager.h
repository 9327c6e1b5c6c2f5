#pragma once
// The sound manager: sounds by name on 50 channels, 2D and 3D.
#include <OgreSingleton.h>
#include <OgreVector.h>

class CTPAudioManager : public Ogre::Singleton<CTPAudioManager> {
 public:
  CTPAudioManager();
  void Init();
  void Update(const Ogre::Vector3& listener, float seconds);
};
