#include "game/AudioManager.h"

template <> CTPAudioManager* Ogre::Singleton<CTPAudioManager>::msSingleton = nullptr;

CTPAudioManager::CTPAudioManager() {}

void CTPAudioManager::Init() {}

void CTPAudioManager::Update(const Ogre::Vector3&, float) {}
