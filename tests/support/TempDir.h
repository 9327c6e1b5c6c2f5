#pragma once
// A fresh temporary folder that a test works in; removed afterwards.
#include <cstdint>
#include <string>

class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::string& path() const { return mPath; }
  std::string file(const std::string& name) const { return mPath + "/" + name; }
  // Writes a file below the folder (creating parents); returns its path.
  std::string write(const std::string& name, const std::string& contents) const;

 private:
  std::string mPath;
};

// Makes a temporary folder the working directory for the test's lifetime
// (the game names its files relative to the working directory).
class ScopedWorkingDir {
 public:
  explicit ScopedWorkingDir(const std::string& path);
  ~ScopedWorkingDir();

 private:
  std::string mOld;
};

std::string ReadFileOrEmpty(const std::string& path);

// The bytes this process has read from files so far (the kernel's count), to
// show that a reader stopped early in a large file.
uint64_t BytesReadSoFar();
