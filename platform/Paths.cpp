#include "platform/Paths.h"

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

bool WriteFileAtomically(const std::string& path, const std::string& contents) {
  const std::string temp = path + ".tmp";
  int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
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

std::string LastErrorText() { return std::strerror(errno); }

}  // namespace platform
