#include "FuzzSupport.h"

#include <OgreLogManager.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

const std::string& FuzzScratchDir() {
  static const std::string dir = [] {
    char templ[] = "/tmp/yvek-fuzz-XXXXXX";
    std::string made = mkdtemp(templ);
    if (chdir(made.c_str()) != 0) std::abort();
    return made;
  }();
  return dir;
}

std::string WriteScratchFile(const std::string& name, const uint8_t* data, size_t size) {
  std::string path = FuzzScratchDir() + "/" + name;
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) std::abort();
  if (size) std::fwrite(data, 1, size, f);
  std::fclose(f);
  return path;
}

void QuietEngineLog() {
  static Ogre::LogManager* logs = [] {
    auto* l = new Ogre::LogManager();
    l->createLog("fuzz.log", true, false, true);
    return l;
  }();
  (void)logs;
}
