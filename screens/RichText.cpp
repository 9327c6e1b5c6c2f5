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
  Layouter(const RichTextMetrics& metrics, float wrapWidth, RichLayout& out)
      : mMetrics(metrics), mWrap(wrapWidth), mOut(out), mLineHeight(metrics.FontHeight()),
        mLineOffset(metrics.LineOffset()) {}

  bool Run(const CEGUI::String& markup) {
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
          mLink = -1;  // plain text ends the link
          mRun += c;
          addedChar = true;
        }
      }

      if (mMetrics.TextExtent(mRun) + mX + mPictureWidth > mWrap) {
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
    mOut.size = CEGUI::Sizef(mWidest, mY + mLineHeight + mLineOffset + mRaise);
    return true;
  }

 private:
  bool HasPicture() const { return mPicture.image || mPicture.anim; }

  // The text read so far becomes an element.
  void Emit(bool asLink) {
    if (mRun.empty()) return;
    RichElement element;
    element.text = mRun;
    element.position = CEGUI::Vector2f(mX, mY);
    element.colour = mColour;
    element.outline = mOutline;
    element.outlineColour = mOutlineColour;
    element.link = asLink ? mLink : -1;
    const float extent = mMetrics.TextExtent(mRun);
    element.rect.setSize(CEGUI::Sizef(extent, mMetrics.FontHeight()));
    mOut.elements.push_back(element);
    mX += extent;
    mWidest = std::max(mWidest, mX);
    mRun.clear();
  }

  void PlacePicture() {
    mRaise = std::max(mRaise, mPicture.size.d_height - mLineHeight);
    RichElement element;
    element.picture = mPicture;
    element.position = CEGUI::Vector2f(mX, mY);
    element.link = mLink;
    element.rect.setSize(mPicture.size);
    mOut.elements.push_back(element);
    mX += mPictureWidth;
    mWidest = std::max(mWidest, mX);
    mPicture = RichPicture();
    mPictureWidth = 0;
    mLink = -1;
  }

  // Every element of the line moves down by how far its pictures rise above
  // the text, so that a picture's bottom is level with the text's.
  void MoveLineDown() {
    for (size_t e = mLineStart; e < mOut.elements.size(); ++e) mOut.elements[e].position.d_y += mRaise;
  }

  void EndLine() {
    MoveLineDown();
    mX = 0;
    mY += mLineHeight + mLineOffset + mRaise;
    mLineHeight = mMetrics.FontHeight();
    mRaise = 0;
    mLineStart = mOut.elements.size();
  }

  int AddLink(const CEGUI::String& target, const CEGUI::String& text) {
    mOut.links.push_back(RichLink{target, text});
    return static_cast<int>(mOut.links.size()) - 1;
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
          name == "image" ? mMetrics.FindImage(fields[1], picture) : mMetrics.FindAnim(fields[1], picture);
      if (!found || picture.size.d_width > kRichPictureMax || picture.size.d_height > kRichPictureMax) return true;
      if (picture.size.d_width > mWrap) return false;
      mPicture = picture;
      mPictureWidth = picture.size.d_width;
      if (n >= 4) mLink = AddLink(fields[2], fields[3]);
    } else if (name == "hlink" && n >= 3) {
      Emit(false);
      mLink = AddLink(fields[1], fields[2]);
      mLinkText = fields[2];
    }
    return true;
  }

  const RichTextMetrics& mMetrics;
  const float mWrap;
  RichLayout& mOut;
  float mLineHeight;
  const float mLineOffset;
  CEGUI::String mRun;
  float mX = 0, mY = 0;
  float mRaise = 0;  // how far the line's pictures rise above its text
  float mWidest = 0;
  size_t mLineStart = 0;
  RichPicture mPicture;
  float mPictureWidth = 0;
  CEGUI::Colour mColour{1, 1, 1, 1};
  bool mOutline = false;
  CEGUI::Colour mOutlineColour{0, 0, 0, 1};
  int mLink = -1;
  CEGUI::String mLinkText;  // a link's text still to lay out
};

}  // namespace

bool LayOutRichText(const CEGUI::String& markup, float wrapWidth, const RichTextMetrics& metrics, RichLayout& out) {
  out = RichLayout();
  if (wrapWidth < 0) return false;
  if (Layouter(metrics, wrapWidth, out).Run(markup)) return true;
  out = RichLayout();
  return false;
}

float RichLineOffset(float lineSpacingAt13, float fontHeight) {
  const float d = (lineSpacingAt13 - fontHeight) * 0.5f;
  return static_cast<float>(static_cast<int>(d > 0 ? d + 0.5f : d - 0.5f));
}
