// pakfolder FOLDER OUTPUT.pak: packs every file under FOLDER into a pak file,
// each named by its path relative to FOLDER.
#include "game/GAPAK/PakWriter.h"

#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s FOLDER OUTPUT.pak\n", argv[0]);
    return 2;
  }
  std::string error;
  if (!PackFolder(argv[1], argv[2], error)) {
    std::fprintf(stderr, "pakfolder: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
