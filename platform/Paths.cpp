#include "platform/Paths.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

std::string NativePath(const std::string& gamePath) {
  std::string path = gamePath;
  for (char& c : path)
    if (c == '\\') c = '/';
  return path;
}

bool MakeDirectories(const std::string& path) {
  std::string partial;
  std::stringstream parts(path);
  std::string part;
  if (!path.empty() && path[0] == '/') partial = "/";
  while (std::getline(parts, part, '/')) {
    if (part.empty()) continue;
    partial += part;
    if (mkdir(partial.c_str(), 0755) != 0 && errno != EEXIST) return false;
    partial += '/';
  }
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string TemporaryPathFor(const std::string& path) {
  const size_t slash = path.rfind('/');
  const size_t nameAt = slash == std::string::npos ? 0 : slash + 1;
  return path.substr(0, nameAt) + "." + path.substr(nameAt) + ".tmp";
}

bool WriteFileAtomically(const std::string& path, const std::string& contents) {
  const std::string temp = TemporaryPathFor(path);
  int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  size_t done = 0;
  while (done < contents.size()) {
    ssize_t n = write(fd, contents.data() + done, contents.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      break;
    }
    done += static_cast<size_t>(n);
  }
  bool ok = done == contents.size() && fsync(fd) == 0;
  ok = close(fd) == 0 && ok;
  if (ok && rename(temp.c_str(), path.c_str()) == 0) return true;
  int saved = errno;
  unlink(temp.c_str());
  errno = saved;
  return false;
}

bool ReadWholeFile(const std::string& path, std::string& contents) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream buffer;
  buffer << in.rdbuf();
  contents = buffer.str();
  return true;
}

bool ReadFileHead(const std::string& path, size_t limit, std::string& head) {
  head.clear();
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  char chunk[65536];
  bool ok = true;
  while (head.size() < limit) {
    const ssize_t n = read(fd, chunk, std::min(sizeof chunk, limit - head.size()));
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      ok = false;
      break;
    }
    head.append(chunk, static_cast<size_t>(n));
  }
  const int saved = errno;
  close(fd);
  errno = saved;
  return ok;
}

std::string LastErrorText() { return std::strerror(errno); }

}  // namespace platform
