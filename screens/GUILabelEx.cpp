#include "screens/GUILabelEx.h"

template <> CGAGUILabelEx* Ogre::Singleton<CGAGUILabelEx>::msSingleton = nullptr;

CGAGUILabelEx::CGAGUILabelEx() {}

bool CGAGUILabelEx::Update() { return true; }
