// The main of every test program. The programs run in the build folder,
// whichever folder they are started from: the game works in its data folder,
// and the build folder is that folder for the game built there (its
// configuration files, generated content and maps).
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <system_error>

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  std::error_code error;
  std::filesystem::current_path(YVEK_BUILD_DIR, error);
  if (error) {
    std::fprintf(stderr, "cannot work in the build folder %s: %s\n", YVEK_BUILD_DIR, error.message().c_str());
    return 1;
  }
  return RUN_ALL_TESTS();
}
