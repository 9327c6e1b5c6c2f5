#include "screens/RichText.h"

#include <CEGUI/PropertyHelper.h>

#include <algorithm>

namespace {

// A tag's fields: a comma ends a field only when the field is not empty, so a
// comma at a field's start belongs to it ("colour,,FF00FF00" has the fields
// "colour" and ",FF00FF00").
std::vector<CEGUI::String> SplitTag(const CEGUI::String& content) {
  std::vector<CEGUI::String> fields;
  CEGUI::String field;
  for (size_t i = 0; i < content.length(); ++i) {
    const CEGUI::utf32 c = content[i];
    if (c == ',' && !field.empty()) {
      fields.push_back(field);
      field.clear();
    } else {
      field += c;
    }
  }
  if (!field.empty()) fields.push_back(field);
  return fields;
}

CEGUI::Colour ParseColour(const CEGUI::String& text) { return CEGUI::PropertyHelper<CEGUI::Colour>::fromString(text); }

class Layouter {
 public:
  Layouter(RichTextTarget& target, float wrapWidth)
      : mTarget(target), mWrap(wrapWidth), mLineHeight(target.FontHeight()), mLineOffset(target.LineOffset()) {}

  bool Run(const CEGUI::String& markup, CEGUI::Sizef& size) {
    size_t i = 0;
    while (true) {
      bool addedChar = false;
      bool fromLink = false;
      if (!mLinkText.empty()) {
        mRun += mLinkText[0];
        mLinkText.erase(0, 1);
        addedChar = fromLink = true;
      } else {
        if (i >= markup.length()) break;
        const CEGUI::utf32 c = markup[i];
        const size_t close = c == '{' ? markup.find('}', i + 1) : CEGUI::String::npos;
        if (c == '\n') {
          ++i;
          Emit(false);
          EndLine();
          continue;
        } else if (close != CEGUI::String::npos) {
          if (!HandleTag(SplitTag(markup.substr(i + 1, close - i - 1)))) return false;
          i = close + 1;
        } else if (c == '}') {
          ++i;  // closes no tag: never shown
        } else {
          ++i;
          mLink = nullptr;  // plain text ends the link
          mRun += c;
          addedChar = true;
        }
      }

      if (mTarget.TextExtent(mRun) + mX + mPictureWidth > mWrap) {
        if (addedChar) {
          // The character that does not fit starts the next line.
          const CEGUI::utf32 c = mRun[mRun.length() - 1];
          mRun.erase(mRun.length() - 1);
          if (mRun.empty() && mX == 0) {
            // Alone on its line: no line can take it, unless a waiting
            // picture is what crowds it out.
            if (!HasPicture()) return false;
            PlacePicture();
          }
          Emit(fromLink);
          if (fromLink)
            mLinkText.insert(0, 1, c);
          else
            --i;
        } else {
          Emit(false);  // a picture that does not fit waits for the next line
        }
        EndLine();
        continue;
      }
      if (fromLink && mLinkText.empty()) Emit(true);
      if (HasPicture()) PlacePicture();
    }
    Emit(false);
    if (HasPicture()) PlacePicture();
    MoveLineDown();
    size = CEGUI::Sizef(mWidest, mY + mLineHeight + mLineOffset + mRaise);
    return true;
  }

 private:
  bool HasPicture() const { return mPicture.image || mPicture.anim; }

  // The text read so far becomes an element.
  void Emit(bool asLink) {
    if (mRun.empty()) return;
    mLine.push_back(mTarget.AddText(mRun, CEGUI::Vector2f(mX, mY), CEGUI::ColourRect(mColour), mOutline,
                                    CEGUI::ColourRect(mOutlineColour), asLink ? mLink : nullptr));
    mX += mTarget.TextExtent(mRun);
    mWidest = std::max(mWidest, mX);
    mRun.clear();
  }

  void PlacePicture() {
    mRaise = std::max(mRaise, mPicture.size.d_height - mLineHeight);
    const CEGUI::Vector2f at(mX, mY);
    mLine.push_back(mPicture.anim ? mTarget.AddAnim(mPicture.anim, at, mLink)
                                  : mTarget.AddImage(mPicture.image, at, mLink));
    mX += mPictureWidth;
    mWidest = std::max(mWidest, mX);
    mPicture = RichPicture();
    mPictureWidth = 0;
    mLink = nullptr;
  }

  // Every element of the line moves down by how far its pictures rise above
  // the text, so that a picture's bottom is level with the text's.
  void MoveLineDown() {
    for (RichElement* element : mLine)
      if (element) element->position.d_y += mRaise;
    mLine.clear();
  }

  void EndLine() {
    MoveLineDown();
    mX = 0;
    mY += mLineHeight + mLineOffset + mRaise;
    mLineHeight = mTarget.FontHeight();
    mRaise = 0;
  }

  // False when the tag's picture can never fit the width.
  bool HandleTag(const std::vector<CEGUI::String>& fields) {
    const size_t n = fields.size();
    if (n == 0) return true;
    const CEGUI::String& name = fields[0];
    if (name == "colour" && n >= 2) {
      Emit(false);
      mColour = ParseColour(fields[1]);
    } else if (name == "online" && n >= 2) {
      Emit(false);
      mOutline = true;
      mOutlineColour = ParseColour(fields[1]);
    } else if (name == "offline") {
      Emit(false);
      mOutline = false;
    } else if ((name == "image" || name == "anim") && n >= 2) {
      Emit(false);
      RichPicture picture;
      const bool found =
          name == "image" ? mTarget.FindImage(fields[1], picture) : mTarget.FindAnim(fields[1], picture);
      if (!found || picture.size.d_width > kRichPictureMax || picture.size.d_height > kRichPictureMax) return true;
      if (picture.size.d_width > mWrap) return false;
      mPicture = picture;
      mPictureWidth = picture.size.d_width;
      if (n >= 4) mLink = mTarget.AddLink(fields[2], fields[3]);
    } else if (name == "hlink" && n >= 3) {
      Emit(false);
      mLink = mTarget.AddLink(fields[1], fields[2]);
      mLinkText = fields[2];
    }
    return true;
  }

  RichTextTarget& mTarget;
  const float mWrap;
  float mLineHeight;
  const float mLineOffset;
  CEGUI::String mRun;
  float mX = 0, mY = 0;
  float mRaise = 0;  // how far the line's pictures rise above its text
  float mWidest = 0;
  std::vector<RichElement*> mLine;  // the elements of the line being laid out
  RichPicture mPicture;
  float mPictureWidth = 0;
  CEGUI::Colour mColour{1, 1, 1, 1};
  bool mOutline = false;
  CEGUI::Colour mOutlineColour{0, 0, 0, 1};
  RichLink* mLink = nullptr;
  CEGUI::String mLinkText;  // a link's text still to lay out
};

}  // namespace

bool LayOutRichText(const CEGUI::String& markup, float wrapWidth, RichTextTarget& target, CEGUI::Sizef& size) {
  size = CEGUI::Sizef(0, 0);
  if (wrapWidth < 0) return false;
  if (Layouter(target, wrapWidth).Run(markup, size)) return true;
  size = CEGUI::Sizef(0, 0);
  return false;
}

float RichLineOffset(float lineSpacingAt13, float fontHeight) {
  const float d = (lineSpacingAt13 - fontHeight) * 0.5f;
  return static_cast<float>(static_cast<int>(d > 0 ? d + 0.5f : d - 0.5f));
}
