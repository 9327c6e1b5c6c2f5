#pragma once
// The GUI library on its null renderer, with the game's GUI files, and the
// headless engine with the game's data folder: made once per process.
#include <string>

namespace CEGUI {
class GUIContext;
class Listbox;
class Window;
}  // namespace CEGUI

void GuiTestSystem();

// The GUI test system with the game's data in its resource groups as the
// game finds it: the general data, the built content and maps in "General",
// the units and effects in "Main" (both initialised), once per process.
// Folders added to "General" before the first call are initialised with it.
void ShippedData();

// The GUI's default context, where the screens live.
CEGUI::GUIContext& Context();

// Injected input into the default GUI context, as the window procedure does.
void ClickAt(float x, float y);
void Click(const CEGUI::Window* window);  // its middle
void ClickItem(const CEGUI::Listbox* list, size_t index);
void Type(const std::u32string& text);
