// The web page opener. When no browser could be started the game never said
// so: the opener was started in the background by a shell, whose success
// was all the game saw.
#include "platform/WebPage.h"
#include "tests/support/TempDir.h"
#include "tests/support/WaitFor.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace {

namespace fs = std::filesystem;

// The openers a test offers on a path of its own (with a shell beside them,
// as any system has).
class WebPage : public ::testing::Test {
 protected:
  WebPage() : mOldPath(std::getenv("PATH") ? std::getenv("PATH") : "") {
    fs::create_symlink("/bin/sh", dir.file("sh"));
    setenv("PATH", dir.path().c_str(), 1);
  }
  ~WebPage() override { setenv("PATH", mOldPath.c_str(), 1); }

  void Opener(const std::string& script, fs::perms permissions) {
    dir.write("xdg-open", "#!/bin/sh\n" + script + "\n");
    fs::permissions(dir.file("xdg-open"), permissions);
  }

  TempDir dir;

 private:
  std::string mOldPath;
};

TEST_F(WebPage, NoOpenerOnThePathIsReported) { EXPECT_FALSE(platform::OpenWebPage("http://example.com/")); }

TEST_F(WebPage, AnOpenerThatCannotBeRunIsReported) {
  Opener("exit 0", fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_FALSE(platform::OpenWebPage("http://example.com/"));
}

TEST_F(WebPage, TheOpenerGetsTheAddress) {
  const std::string seen = dir.file("seen");
  Opener("printf '%s' \"$1\" > '" + seen + "'", fs::perms::owner_all);
  ASSERT_TRUE(platform::OpenWebPage("http://example.com/a b"));
  const bool opened = WaitFor([&] { return ReadFileOrEmpty(seen) == "http://example.com/a b"; }, [] {});
  EXPECT_TRUE(opened) << "the opener did not write the address within the bound";
}

}  // namespace
