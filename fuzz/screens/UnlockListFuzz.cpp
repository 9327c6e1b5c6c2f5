// Unlock lists of any bytes: read without a crash; every entry has an id.
#include "FuzzSupport.h"
#include "screens/UnlockList.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  QuietEngineLog();
  for (const UnlockEntry& entry : ParseUnlockList(std::string(reinterpret_cast<const char*>(data), size), "lock.xml"))
    if (entry.id.empty()) std::abort();
  return 0;
}
