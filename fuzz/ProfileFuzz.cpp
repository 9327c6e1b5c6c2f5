// Profile files of any contents: reads never fail, and a written key reads
// back with the written value while other sections keep theirs.
#include "FuzzSupport.h"
#include "platform/Profile.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = WriteScratchFile("fuzz.cfg", data, size);
  platform::GetProfileInt(path, "system", "vol", 50);
  platform::GetProfileString(path, "update", "LocalVersion", "");
  const int other = platform::GetProfileInt(path, "other", "key", -12345);
  if (!platform::WriteProfileString(path, "system", "vol", "123")) std::abort();
  if (platform::GetProfileInt(path, "system", "vol", 50) != 123) std::abort();
  if (platform::GetProfileInt(path, "other", "key", -12345) != other) std::abort();
  return 0;
}
