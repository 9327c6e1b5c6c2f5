// Precompiled header of the game library: the engine and the GUI.
#pragma once
#include <Ogre.h>
#include <CEGUI/CEGUI.h>
