#include "screens/GUIIconList.h"

#include "screens/GUIIconEx.h"

#include <algorithm>

namespace {
CGAGUIIconList* gIconList = nullptr;
}

CGAGUIIconList::CGAGUIIconList() { gIconList = this; }

CGAGUIIconList::~CGAGUIIconList() {
  if (gIconList == this) gIconList = nullptr;
}

CGAGUIIconList* CGAGUIIconList::getSingletonPtr() { return gIconList; }

void CGAGUIIconList::AddIcon(CGAGUIIconEx* icon) { mIcons.push_back(icon); }

void CGAGUIIconList::RemoveIcon(CGAGUIIconEx* icon) {
  const int id = icon->GetId();
  mIcons.erase(std::remove_if(mIcons.begin(), mIcons.end(), [id](CGAGUIIconEx* entry) { return entry->GetId() == id; }),
               mIcons.end());
  delete icon;
}

void CGAGUIIconList::RemoveByHost(const CEGUI::Window* host) {
  auto found = std::find_if(mIcons.begin(), mIcons.end(), [host](CGAGUIIconEx* icon) { return icon->GetHost() == host; });
  if (found == mIcons.end()) return;
  CGAGUIIconEx* icon = *found;
  mIcons.erase(found);
  delete icon;
}

CGAGUIIconEx* CGAGUIIconList::FindByHost(const CEGUI::Window* host) const {
  for (CGAGUIIconEx* icon : mIcons)
    if (icon->GetHost() == host) return icon;
  return nullptr;
}
