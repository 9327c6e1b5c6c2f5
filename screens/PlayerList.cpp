#include "screens/PlayerList.h"

#include "game/DataFiles.h"
#include "game/GameLog.h"
#include "game/PlayerRecord.h"
#include "platform/Paths.h"

#include <tinyxml.h>

#include <cstdio>

const char* const kPlayerListFile = "record.xml";

namespace {

bool IsAsciiLetter(unsigned char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsAsciiDigit(unsigned char c) { return c >= '0' && c <= '9'; }

// A double-byte character whose second byte the XML reader takes as part of
// a name (a second byte like '[' or '\\' would end the name early).
bool IsNameDoubleByte(unsigned char lead, unsigned char trail) {
  if (lead < 0x81 || lead > 0xFE || trail < 0x40 || trail > 0xFE || trail == 0x7F) return false;
  return trail >= 0x80 || IsAsciiLetter(trail) || trail == '_';
}

// A name for a log line: control characters (a NUL included) as '?'.
std::string Printable(std::string text) {
  for (char& c : text)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
  return text;
}

}  // namespace

bool PlayerNameTooLong(const std::string& name) {
  size_t characters = 0;
  for (size_t i = 0; i < name.size(); ++i, ++characters)
    if (static_cast<unsigned char>(name[i]) >= 0x80) ++i;  // a double-byte character
  return characters > kMaxPlayerNameLength;
}

PlayerNameProblem CheckPlayerName(const std::string& name) {
  if (name.empty()) return PlayerNameProblem::Empty;
  if (IsAsciiDigit(static_cast<unsigned char>(name[0]))) return PlayerNameProblem::StartsWithDigit;
  for (size_t i = 0; i < name.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(name[i]);
    if (c >= 0x80) {
      if (i + 1 >= name.size() || !IsNameDoubleByte(c, static_cast<unsigned char>(name[i + 1])))
        return PlayerNameProblem::BadCharacter;
      ++i;
      continue;
    }
    const bool first = i == 0;
    if (IsAsciiLetter(c) || c == '_') continue;
    if (!first && (IsAsciiDigit(c) || c == '-' || c == '.')) continue;
    return PlayerNameProblem::BadCharacter;
  }
  if (!IsValidPlayerName(name)) return PlayerNameProblem::BadCharacter;
  return PlayerNameTooLong(name) ? PlayerNameProblem::TooLong : PlayerNameProblem::None;
}

PlayerList::PlayerList(const std::string& path) : mPath(path), mDoc(new TiXmlDocument()) {}

PlayerList::~PlayerList() {}

TiXmlElement* PlayerList::Root() { return mDoc->FirstChildElement(); }

void PlayerList::StartEmpty() {
  mDoc.reset(new TiXmlDocument());
  TiXmlElement root("record");
  root.SetAttribute("player", "");
  mDoc->InsertEndChild(root);
  mCurrent.clear();
}

void PlayerList::Load() {
  std::string text;
  if (!platform::ReadWholeFile(mPath, text)) {
    GameLog(mPath + ": not found; starting an empty player list");
    StartEmpty();
    Save();
    return;
  }
  mDoc.reset(new TiXmlDocument());
  if (!ParseDataXml(*mDoc, text, mPath) || !Root()) {
    // Keep the unreadable file for whoever wants to mend it; the players'
    // record files stay where they are.
    const std::string kept = mPath + ".bad";
    std::rename(mPath.c_str(), kept.c_str());
    GameLog(mPath + ": unreadable; kept as " + kept + ", starting an empty player list");
    StartEmpty();
    Save();
    return;
  }
  // The whole value: a character reference to NUL would cut a C string short.
  const std::string* current = Root()->Attribute(std::string("player"));
  mCurrent.clear();
  if (!current) {
    GameLog(XmlWhere(mPath, Root()) + "no attribute \"player\": no current player");
  } else if (!current->empty() && CheckPlayerName(*current) != PlayerNameProblem::None) {
    GameLog(XmlWhere(mPath, Root()) + "the current player \"" + Printable(*current) +
            "\" is not a player name the game allows: no current player");
  } else {
    mCurrent = *current;
  }
  for (const TiXmlElement* e = Root()->FirstChildElement(); e; e = e->NextSiblingElement())
    if (PlayerNameTooLong(e->ValueStr()))
      GameLog(XmlWhere(mPath, e) + "a player name of more than " + std::to_string(kMaxPlayerNameLength) +
              " characters is not listed (its record could not be saved): \"" + Printable(e->ValueStr()) + "\"");
}

std::vector<std::string> PlayerList::Names() const {
  std::vector<std::string> names;
  if (const TiXmlElement* root = mDoc->FirstChildElement())
    for (const TiXmlElement* e = root->FirstChildElement(); e; e = e->NextSiblingElement())
      if (!PlayerNameTooLong(e->ValueStr())) names.push_back(e->ValueStr());
  return names;
}

bool PlayerList::Has(const std::string& name) const {
  const TiXmlElement* root = mDoc->FirstChildElement();
  return root && root->FirstChildElement(name);
}

bool PlayerList::Add(const std::string& name) {
  if (CheckPlayerName(name) != PlayerNameProblem::None || Has(name) || !Root()) return false;
  Root()->InsertEndChild(TiXmlElement(name));
  SetCurrent(name);
  return true;
}

void PlayerList::SetCurrent(const std::string& name) {
  mCurrent = name;
  if (Root()) Root()->SetAttribute("player", name);
  Save();
}

bool PlayerList::Remove(const std::string& name) {
  bool removed = false;
  if (TiXmlElement* player = Root() ? Root()->FirstChildElement(name) : nullptr) {
    // Only a plain name may name a file to delete (the list can be edited by hand).
    if (IsValidPlayerName(name)) std::remove(PlayerRecordPath(name).c_str());
    Root()->RemoveChild(player);
    removed = true;
  }
  if (removed && name == mCurrent) {
    // The deleted player must not stay current: its record would be written again.
    mCurrent.clear();
    Root()->SetAttribute("player", "");
  }
  Save();
  return removed;
}

void PlayerList::Save() {
  TiXmlPrinter printer;
  printer.SetIndent("  ");
  mDoc->Accept(&printer);
  if (!platform::WriteFileAtomically(mPath, printer.Str()))
    GameLog(mPath + ": cannot be written: " + platform::LastErrorText() + "; the change holds until the game ends");
}
