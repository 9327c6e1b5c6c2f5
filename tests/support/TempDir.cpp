#include "tests/support/TempDir.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <unistd.h>

namespace fs = std::filesystem;

TempDir::TempDir() {
  std::string templ = (fs::temp_directory_path() / "yvek-test-XXXXXX").string();
  if (!mkdtemp(templ.data())) throw std::runtime_error("mkdtemp failed");
  mPath = templ;
}

TempDir::~TempDir() {
  std::error_code ec;
  fs::remove_all(mPath, ec);
}

std::string TempDir::write(const std::string& name, const std::string& contents) const {
  fs::path p = fs::path(mPath) / name;
  fs::create_directories(p.parent_path());
  std::ofstream out(p, std::ios::binary);
  out << contents;
  return p.string();
}

ScopedWorkingDir::ScopedWorkingDir(const std::string& path) : mOld(fs::current_path().string()) {
  fs::current_path(path);
}

ScopedWorkingDir::~ScopedWorkingDir() { fs::current_path(mOld); }

std::string ReadFileOrEmpty(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

uint64_t BytesReadSoFar() {
  std::ifstream io("/proc/self/io");
  std::string key;
  uint64_t value = 0;
  while (io >> key >> value)
    if (key == "rchar:") return value;
  return 0;
}
