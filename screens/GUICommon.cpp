#include "screens/GUICommon.h"

#include "platform/CodePage.h"

#include <CEGUI/GUIContext.h>
#include <CEGUI/System.h>
#include <CEGUI/Window.h>

void CGAGUICommon::Show() { CEGUI::System::getSingleton().getDefaultGUIContext().setRootWindow(root); }

CEGUI::String CGAGUICommon::ToCEGUIString(const std::string& text) {
  const std::u32string wide = platform::GbkToUtf32(text);
  CEGUI::String result;
  result.reserve(wide.size());
  for (char32_t c : wide) result += static_cast<CEGUI::utf32>(c);
  return result;
}

CEGUI::Window* CGAGUICommon::GetWindow(const CEGUI::String& fullName) const {
  const CEGUI::String& rootName = root->getName();
  if (fullName == rootName) return root;
  if (fullName.compare(0, rootName.length() + 1, rootName + "/") == 0)
    return root->getChild(fullName.substr(rootName.length() + 1));
  return root->getChild(fullName);
}
