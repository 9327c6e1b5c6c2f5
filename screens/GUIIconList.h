#pragma once
// A registry of unit icons, found by the window they are attached to. The
// game keeps its icons itself and makes no registry.
#include <vector>

namespace CEGUI {
class Window;
}
class CGAGUIIconEx;

class CGAGUIIconList {
 public:
  // The newest registry is the one the accessor answers.
  CGAGUIIconList();
  ~CGAGUIIconList();
  CGAGUIIconList(const CGAGUIIconList&) = delete;
  CGAGUIIconList& operator=(const CGAGUIIconList&) = delete;
  static CGAGUIIconList* getSingletonPtr();

  void AddIcon(CGAGUIIconEx* icon);
  // Deletes the icon, and forgets every icon that carries its id.
  void RemoveIcon(CGAGUIIconEx* icon);
  // Deletes and forgets the first icon attached to the window.
  void RemoveByHost(const CEGUI::Window* host);
  // The first icon attached to the window, or null.
  CGAGUIIconEx* FindByHost(const CEGUI::Window* host) const;
  const std::vector<CGAGUIIconEx*>& GetIcons() const { return mIcons; }

 private:
  std::vector<CGAGUIIconEx*> mIcons;
};
