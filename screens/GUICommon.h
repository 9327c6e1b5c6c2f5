#pragma once
// The base of every screen: its root window, which Show makes the GUI's
// active sheet, and the one conversion of the game's texts to GUI strings.
#include <CEGUI/String.h>

#include <string>

namespace CEGUI {
class ColourRect;
class Font;
class GeometryBuffer;
class Image;
class Window;
template <typename T> class Rect;
template <typename T> class Vector2;
}  // namespace CEGUI

class CGAGUICommon {
 public:
  virtual ~CGAGUICommon() {}
  // Makes the root window the active sheet.
  virtual void Show();

  CEGUI::Window* GetRoot() const { return root; }

  // The game's texts (GBK) as GUI strings. Every text shown by the GUI goes
  // through here: the GUI's string from bytes would take each byte as a
  // character. Bytes that do not decode show as U+FFFD.
  static CEGUI::String ToCEGUIString(const std::string& text);

  // An image by its name, "Set/Image" or the data files' "set:Set image:Image";
  // null when the GUI has no such image.
  static const CEGUI::Image* FindImage(const CEGUI::String& name);

  // Where an outline's four copies of a text go: one pixel off diagonally.
  static const CEGUI::Vector2<float> kOutlineOffsets[4];
  // Text outlined by those four copies.
  static void DrawOutlinedText(const CEGUI::Font& font, CEGUI::GeometryBuffer& buffer, const CEGUI::String& text,
                               const CEGUI::Vector2<float>& at, const CEGUI::Rect<float>* clipper,
                               const CEGUI::ColourRect& outline);

 protected:
  // A window of this screen by its full name ("start_root/player/new"); the
  // GUI library throws for a name the layout lacks.
  CEGUI::Window* GetWindow(const CEGUI::String& fullName) const;

  CEGUI::Window* root = nullptr;
};
