#pragma once
// Pak files: plain concatenations of named entries, each a 72-byte header
// (64-byte NUL-terminated name, u32 offset of this header, u32 data size)
// followed by its data. Registered with the engine as archive type "Pak".
#include <OgreArchive.h>
#include <OgreArchiveFactory.h>
#include <OgreDataStream.h>

#include <cstdint>
#include <iosfwd>
#include <map>

namespace Ogre {

struct PakEntry {
  String name;      // as stored, case kept
  uint32_t offset;  // position of the entry's header in the pak file
  uint32_t size;    // data bytes after the header
};

class PakArchive : public Archive {
 public:
  static const size_t kHeaderSize = 72;
  static const size_t kNameSize = 64;

  PakArchive(const String& name, const String& archType);
  ~PakArchive() override;

  bool isCaseSensitive() const override { return false; }
  // Builds the index; a later entry of a name replaces an earlier one.
  // Throws when the pak file cannot be opened. An entry whose header does
  // not hold its own position is refused, and logged. An entry running past
  // the file's end (a pak cut short) is kept with the bytes the file holds,
  // and logged.
  void load() override;
  void unload() override;
  // Throws FileNotFoundException naming the pak file for a name not in it.
  DataStreamPtr open(const String& filename, bool readOnly = true) const override;
  StringVectorPtr list(bool recursive = true, bool dirs = false) const override;
  FileInfoListPtr listFileInfo(bool recursive = true, bool dirs = false) const override;
  StringVectorPtr find(const String& pattern, bool recursive = true,
                       bool dirs = false) const override;
  bool exists(const String& filename) const override;
  time_t getModifiedTime(const String& filename) const override;
  FileInfoListPtr findFileInfo(const String& pattern, bool recursive = true,
                               bool dirs = false) const override;

  bool FindEntry(const String& name, PakEntry& entry) const;

 private:
  FileInfo MakeInfo(const PakEntry& entry) const;

  std::map<String, PakEntry> mIndex;  // by lower-cased name
};

// One entry of a pak read through a file stream of its own. Every read is
// cut at the entry's end.
class PakDataStream : public DataStream {
 public:
  PakDataStream(const String& name, std::ifstream* file, size_t start, size_t size);
  ~PakDataStream() override;

  size_t read(void* buf, size_t count) override;
  size_t readLine(char* buf, size_t maxCount, const String& delim = "\n") override;
  void skip(long count) override;
  void seek(size_t pos) override;
  size_t tell() const override;
  bool eof() const override;
  void close() override;

 private:
  std::ifstream* mFile;
  size_t mStart;
};

class PakArchiveFactory : public ArchiveFactory {
 public:
  const String& getType() const override;
  Archive* createInstance(const String& name, bool readOnly) override;
  using ArchiveFactory::createInstance;
  void destroyInstance(Archive* archive) override;
};

}  // namespace Ogre
