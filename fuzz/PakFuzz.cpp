// Pak files of any contents: the index either loads or throws the engine's
// exception, and every entry reads back no more than its own size.
#include "FuzzSupport.h"
#include "game/GAPAK/PakArchive.h"

#include <OgreException.h>

#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  QuietEngineLog();
  const std::string path = WriteScratchFile("fuzz.pak", data, size);
  Ogre::PakArchive pak(path, "Pak");
  try {
    pak.load();
  } catch (const Ogre::Exception&) {
    return 0;
  }
  std::vector<char> buffer(4096);
  Ogre::StringVectorPtr names = pak.list();
  for (const std::string& name : *names) {
    Ogre::DataStreamPtr stream = pak.open(name);
    size_t total = 0, n;
    while ((n = stream->read(buffer.data(), buffer.size())) > 0) total += n;
    if (total != stream->size() || !stream->eof()) std::abort();
    stream->seek(0);
    while (!stream->eof()) stream->readLine(buffer.data(), buffer.size() - 1);
  }
  pak.find("*.xml");
  return 0;
}
