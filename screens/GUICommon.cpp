#include "screens/GUICommon.h"

#include "platform/CodePage.h"

#include <CEGUI/Font.h>
#include <CEGUI/GUIContext.h>
#include <CEGUI/ImageManager.h>
#include <CEGUI/System.h>
#include <CEGUI/Window.h>

void CGAGUICommon::Show() { CEGUI::System::getSingleton().getDefaultGUIContext().setRootWindow(root); }

// A string of its own each call: a shared one would change under a caller still holding an earlier result.
CEGUI::String CGAGUICommon::ToCEGUIString(const std::string& text) {
  const std::u32string wide = platform::GbkToUtf32(text);
  CEGUI::String result;
  result.reserve(wide.size());
  for (char32_t c : wide) result += static_cast<CEGUI::utf32>(c);
  return result;
}

const CEGUI::Image* CGAGUICommon::FindImage(const CEGUI::String& name) {
  CEGUI::String fullName = name;
  const size_t image = name.find(" image:");
  if (name.compare(0, 4, "set:") == 0 && image != CEGUI::String::npos)
    fullName = name.substr(4, image - 4) + "/" + name.substr(image + 7);
  CEGUI::ImageManager& images = CEGUI::ImageManager::getSingleton();
  return images.isDefined(fullName) ? &images.get(fullName) : nullptr;
}

const CEGUI::Vector2f CGAGUICommon::kOutlineOffsets[4] = {CEGUI::Vector2f(-1, -1), CEGUI::Vector2f(-1, 1),
                                                         CEGUI::Vector2f(1, -1), CEGUI::Vector2f(1, 1)};

void CGAGUICommon::DrawOutlinedText(const CEGUI::Font& font, CEGUI::GeometryBuffer& buffer, const CEGUI::String& text,
                                    const CEGUI::Vector2f& at, const CEGUI::Rectf* clipper,
                                    const CEGUI::ColourRect& outline) {
  for (const CEGUI::Vector2f& offset : kOutlineOffsets) font.drawText(buffer, text, at + offset, clipper, outline);
}

CEGUI::Window* CGAGUICommon::GetWindow(const CEGUI::String& fullName) const {
  const CEGUI::String& rootName = root->getName();
  if (fullName == rootName) return root;
  if (fullName.compare(0, rootName.length() + 1, rootName + "/") == 0)
    return root->getChild(fullName.substr(rootName.length() + 1));
  return root->getChild(fullName);
}
