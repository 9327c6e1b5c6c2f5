#include "game/GAPAK/PakArchive.h"

#include "game/GameLog.h"

#include <OgreException.h>
#include <OgreLogManager.h>
#include <OgreStringConverter.h>

#include <algorithm>
#include <cstring>
#include <fstream>

namespace Ogre {
namespace {

uint32_t ReadU32(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

String Lower(const String& s) {
  String lower = s;
  StringUtil::toLowerCase(lower);
  return lower;
}

}  // namespace

PakArchive::PakArchive(const String& name, const String& archType) : Archive(name, archType) {}

PakArchive::~PakArchive() { unload(); }

void PakArchive::load() {
  std::ifstream file(mName.c_str(), std::ios::in | std::ios::binary);
  if (!file)
    OGRE_EXCEPT(Exception::ERR_FILE_NOT_FOUND, "Cannot open pak file: " + mName, "PakArchive::load");
  file.seekg(0, std::ios::end);
  const uint64_t fileSize = static_cast<uint64_t>(file.tellg());

  mIndex.clear();
  uint64_t pos = 0;
  unsigned char header[kHeaderSize];
  while (pos + kHeaderSize <= fileSize) {
    file.seekg(static_cast<std::streamoff>(pos));
    if (!file.read(reinterpret_cast<char*>(header), kHeaderSize)) break;
    PakEntry entry;
    // At most 63 bytes of name, whether or not the stored name ends in a NUL.
    entry.name.assign(reinterpret_cast<const char*>(header),
                      strnlen(reinterpret_cast<const char*>(header), kNameSize - 1));
    entry.offset = ReadU32(header + kNameSize);
    entry.size = ReadU32(header + kNameSize + 4);

    // Headers and data alternate, and a header holds its own position. One
    // that points elsewhere would serve another entry's bytes, or send the
    // walk into data to read a header that is none: it is refused, and the
    // walk goes on after its data.
    const bool placed = entry.offset == pos;
    if (!placed)
      GameLog("Pak file " + mName + ": entry '" + entry.name + "' refused: its header at " + std::to_string(pos) +
              " gives the position " + std::to_string(entry.offset));
    const uint64_t dataStart = pos + kHeaderSize;
    const uint64_t dataEnd = dataStart + entry.size;
    if (dataEnd > fileSize) {
      if (!placed) break;
      // A pak cut short: the entry keeps what the file holds, and no header
      // can follow it.
      const uint32_t held = uint32_t(fileSize > dataStart ? fileSize - dataStart : 0);
      GameLog("Pak file " + mName + ": entry '" + entry.name + "' runs past the end of the file; it reads " +
              std::to_string(held) + " of its " + std::to_string(entry.size) + " bytes");
      entry.size = held;
      mIndex[Lower(entry.name)] = entry;
      break;
    }
    if (placed) mIndex[Lower(entry.name)] = entry;
    pos = dataEnd;
  }
}

void PakArchive::unload() { mIndex.clear(); }

bool PakArchive::FindEntry(const String& name, PakEntry& entry) const {
  auto it = mIndex.find(Lower(name));
  if (it == mIndex.end()) return false;
  entry = it->second;
  return true;
}

DataStreamPtr PakArchive::open(const String& filename, bool) const {
  PakEntry entry;
  if (!FindEntry(filename, entry))
    OGRE_EXCEPT(Exception::ERR_FILE_NOT_FOUND,
                "Cannot open file: " + filename + " (not in pak file " + mName + ")", "PakArchive::open");
  std::ifstream* file = OGRE_NEW_T(std::ifstream, MEMCATEGORY_GENERAL)(
      mName.c_str(), std::ios::in | std::ios::binary);
  if (!*file) {
    OGRE_DELETE_T(file, basic_ifstream, MEMCATEGORY_GENERAL);
    OGRE_EXCEPT(Exception::ERR_FILE_NOT_FOUND,
                "Cannot open file: " + filename + " (pak file " + mName + ")", "FileSystemArchive::open");
  }
  return std::make_shared<PakDataStream>(filename, file, size_t(entry.offset) + kHeaderSize, entry.size);
}

FileInfo PakArchive::MakeInfo(const PakEntry& entry) const {
  FileInfo info;
  info.archive = this;
  info.filename = entry.name;
  info.basename = entry.name;
  info.compressedSize = entry.size;
  info.uncompressedSize = entry.size;
  return info;
}

StringVectorPtr PakArchive::list(bool, bool dirs) const {
  StringVectorPtr names = std::make_shared<StringVector>();
  if (dirs) return names;
  for (const auto& kv : mIndex) names->push_back(kv.second.name);
  return names;
}

FileInfoListPtr PakArchive::listFileInfo(bool, bool dirs) const {
  FileInfoListPtr infos = std::make_shared<FileInfoList>();
  if (dirs) return infos;
  for (const auto& kv : mIndex) infos->push_back(MakeInfo(kv.second));
  return infos;
}

StringVectorPtr PakArchive::find(const String& pattern, bool, bool dirs) const {
  StringVectorPtr names = std::make_shared<StringVector>();
  if (dirs) return names;
  for (const auto& kv : mIndex)
    if (StringUtil::match(kv.second.name, pattern, false)) names->push_back(kv.second.name);
  return names;
}

FileInfoListPtr PakArchive::findFileInfo(const String& pattern, bool, bool dirs) const {
  FileInfoListPtr infos = std::make_shared<FileInfoList>();
  if (dirs) return infos;
  for (const auto& kv : mIndex)
    if (StringUtil::match(kv.second.name, pattern, false)) infos->push_back(MakeInfo(kv.second));
  return infos;
}

bool PakArchive::exists(const String& filename) const { return mIndex.count(Lower(filename)) != 0; }

time_t PakArchive::getModifiedTime(const String&) const { return 0; }

// --- data stream -----------------------------------------------------------

PakDataStream::PakDataStream(const String& name, std::ifstream* file, size_t start, size_t size)
    : DataStream(name), mFile(file), mStart(start) {
  mSize = size;
  mFile->seekg(static_cast<std::streamoff>(mStart));
}

PakDataStream::~PakDataStream() { close(); }

size_t PakDataStream::read(void* buf, size_t count) {
  if (!mFile) return 0;
  const size_t pos = tell();
  if (pos >= mSize) return 0;
  count = std::min(count, mSize - pos);
  mFile->read(static_cast<char*>(buf), static_cast<std::streamsize>(count));
  return static_cast<size_t>(mFile->gcount());
}

size_t PakDataStream::readLine(char* buf, size_t maxCount, const String& delim) {
  if (delim.empty())
    OGRE_EXCEPT(Exception::ERR_INVALIDPARAMS, "No delimiter provided", "PakDataStream::readLine");
  if (!mFile) {
    buf[0] = '\0';
    return 0;
  }
  if (delim.size() > 1)
    LogManager::getSingleton().logMessage("WARNING: PakDataStream::readLine - using only first delimeter");
  const char d = delim[0];
  const bool lineFeed = d == '\n';

  size_t left = mSize - std::min(tell(), mSize);
  size_t count = 0;
  while (count < maxCount && left > 0) {
    int c = mFile->get();
    if (c == EOF) break;
    --left;
    if (c == d) break;
    buf[count++] = static_cast<char>(c);
  }
  // A line of exactly maxCount characters still gives up its delimiter.
  if (count == maxCount && left > 0 && mFile->peek() == static_cast<unsigned char>(d)) mFile->get();
  mFile->clear();
  if (lineFeed && count > 0 && buf[count - 1] == '\r') --count;
  buf[count] = '\0';
  return count;
}

void PakDataStream::skip(long count) {
  const long pos = static_cast<long>(tell());
  long target = std::max(0L, std::min(pos + count, static_cast<long>(mSize)));
  seek(static_cast<size_t>(target));
}

void PakDataStream::seek(size_t pos) {
  if (!mFile) return;
  mFile->clear();
  mFile->seekg(static_cast<std::streamoff>(mStart + std::min(pos, mSize)));
}

size_t PakDataStream::tell() const {
  if (!mFile) return mSize;
  mFile->clear();
  std::streamoff at = mFile->tellg();
  return at < static_cast<std::streamoff>(mStart) ? 0 : static_cast<size_t>(at) - mStart;
}

bool PakDataStream::eof() const { return tell() >= mSize; }

void PakDataStream::close() {
  if (!mFile) return;
  mFile->close();
  OGRE_DELETE_T(mFile, basic_ifstream, MEMCATEGORY_GENERAL);
  mFile = nullptr;
}

// --- factory ---------------------------------------------------------------

const String& PakArchiveFactory::getType() const {
  static const String type = "Pak";
  return type;
}

Archive* PakArchiveFactory::createInstance(const String& name, bool) {
  return OGRE_NEW PakArchive(name, getType());
}

void PakArchiveFactory::destroyInstance(Archive* archive) { OGRE_DELETE archive; }

}  // namespace Ogre
