#pragma once
// The player list "record.xml" in the working directory: the root's
// attribute "player" names the current player (empty: none), and each child
// element is one player, named by the player's name, in creation order.
// Names are the game's own text (GBK). The whole file is rewritten after
// every change, through a temporary file.
#include <memory>
#include <string>
#include <vector>

class TiXmlDocument;
class TiXmlElement;

extern const char* const kPlayerListFile;

// The most characters a name may have: what the new-player edit box holds
// (a double-byte character counts as one).
constexpr size_t kMaxPlayerNameLength = 16;

// More characters than the edit box holds: the record file of so long a name
// cannot be written.
bool PlayerNameTooLong(const std::string& name);

// Why a text cannot name a player: it names an element of the player list
// and a file in the save folder, so it must be an element name (a letter,
// "_" or a Chinese character first; then also digits, "-" and ".") and a
// plain file name, of at most kMaxPlayerNameLength characters.
enum class PlayerNameProblem { None, Empty, StartsWithDigit, BadCharacter, TooLong };
PlayerNameProblem CheckPlayerName(const std::string& name);

class PlayerList {
 public:
  explicit PlayerList(const std::string& path = kPlayerListFile);
  ~PlayerList();

  // Reads the file. A missing file starts an empty list and writes it; a file
  // that does not parse is kept as path + ".bad" and the list starts empty;
  // a root without "player", or whose "player" fails CheckPlayerName, has no
  // current player. Each case is logged.
  void Load();

  const std::string& Current() const { return mCurrent; }
  // The players in file order, but for names too long to save under (the
  // file can be edited by hand), which Load logs.
  std::vector<std::string> Names() const;
  // Exact, byte for byte: "Abc" and "abc" are two players.
  bool Has(const std::string& name) const;

  // Appends a player and makes it current; false (and nothing changes) when
  // a player of that name exists or the name is not allowed.
  bool Add(const std::string& name);
  // Makes a player current.
  void SetCurrent(const std::string& name);
  // Removes the first player of that name and its record file; when it was
  // the current player there is no current player afterwards. The file is
  // written also when no player matched. Returns whether one was removed.
  bool Remove(const std::string& name);

 private:
  TiXmlElement* Root();
  void StartEmpty();
  void Save();

  std::string mPath;
  std::unique_ptr<TiXmlDocument> mDoc;
  std::string mCurrent;
};
