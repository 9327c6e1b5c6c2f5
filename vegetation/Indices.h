#pragma once
// Reading and writing indices of 16 or 32 bits in locked index buffers.
#include <OgrePrerequisites.h>

#include <cstring>

namespace Verdure {

inline Ogre::uint32 readIndex(const Ogre::uchar* at, size_t indexSize) {
  if (indexSize == 4) {
    Ogre::uint32 index;
    std::memcpy(&index, at, 4);
    return index;
  }
  Ogre::uint16 index;
  std::memcpy(&index, at, 2);
  return index;
}

// Writes at out and moves out past the index.
inline void writeIndex(Ogre::uchar*& out, Ogre::uint32 index, bool wide) {
  if (wide) {
    std::memcpy(out, &index, 4);
    out += 4;
  } else {
    const Ogre::uint16 narrow = Ogre::uint16(index);
    std::memcpy(out, &narrow, 2);
    out += 2;
  }
}

}  // namespace Verdure
