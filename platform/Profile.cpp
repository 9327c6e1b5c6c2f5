#include "platform/Profile.h"

#include "platform/Paths.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <sstream>
#include <vector>

namespace platform {
namespace {

std::string Trim(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
  while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
  return s.substr(b, e - b);
}

bool SameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

// A section header line "[name]" gives name; anything else gives false.
bool SectionName(const std::string& line, std::string& name) {
  std::string t = Trim(line);
  if (t.size() < 2 || t.front() != '[') return false;
  size_t close = t.find(']');
  if (close == std::string::npos) return false;
  name = Trim(t.substr(1, close - 1));
  return true;
}

// A "key=value" line gives both; comments and other lines give false.
bool KeyValue(const std::string& line, std::string& key, std::string& value) {
  std::string t = Trim(line);
  if (t.empty() || t[0] == ';' || t[0] == '#' || t[0] == '[') return false;
  size_t eq = t.find('=');
  if (eq == std::string::npos) return false;
  key = Trim(t.substr(0, eq));
  value = Trim(t.substr(eq + 1));
  return true;
}

// The lines of a profile file.
ProfileLookup ReadLines(const std::string& path, std::vector<std::string>& lines) {
  lines.clear();
  std::string text;
  if (!ReadFileHead(path, kMaxProfileBytes + 1, text))
    return errno == ENOENT ? ProfileLookup::Missing : ProfileLookup::Unreadable;
  if (text.size() > kMaxProfileBytes) {
    errno = EFBIG;
    return ProfileLookup::Unreadable;
  }
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return ProfileLookup::Found;
}

}  // namespace

int ParseProfileInt(const std::string& value) {
  size_t i = 0;
  while (i < value.size() && std::isspace(static_cast<unsigned char>(value[i]))) ++i;
  bool negative = false;
  if (i < value.size() && (value[i] == '-' || value[i] == '+')) {
    negative = value[i] == '-';
    ++i;
  }
  long long n = 0;
  for (; i < value.size() && std::isdigit(static_cast<unsigned char>(value[i])); ++i) {
    n = n * 10 + (value[i] - '0');
    if (n > INT_MAX) { n = INT_MAX; break; }
  }
  return static_cast<int>(negative ? -n : n);
}

ProfileLookup FindProfileValue(const std::string& file, const std::string& section, const std::string& key,
                               std::string& value) {
  std::vector<std::string> lines;
  const ProfileLookup read = ReadLines(NativePath(file), lines);
  if (read != ProfileLookup::Found) return read;
  bool inSection = false;
  for (const std::string& line : lines) {
    std::string name, k, v;
    if (SectionName(line, name)) {
      inSection = SameName(name, section);
    } else if (inSection && KeyValue(line, k, v) && SameName(k, key)) {
      value = v;
      return ProfileLookup::Found;
    }
  }
  return ProfileLookup::Missing;
}

int GetProfileInt(const std::string& file, const std::string& section,
                  const std::string& key, int defaultValue) {
  std::string value;
  if (FindProfileValue(file, section, key, value) != ProfileLookup::Found) return defaultValue;
  return ParseProfileInt(value);
}

std::string GetProfileString(const std::string& file, const std::string& section,
                             const std::string& key, const std::string& defaultValue) {
  std::string value;
  return FindProfileValue(file, section, key, value) == ProfileLookup::Found ? value : defaultValue;
}

bool WriteProfileString(const std::string& file, const std::string& section,
                        const std::string& key, const std::string& value) {
  const std::string path = NativePath(file);
  std::vector<std::string> lines;
  if (ReadLines(path, lines) == ProfileLookup::Unreadable) return false;

  const std::string entry = key + "=" + value;
  bool inSection = false, sectionSeen = false, written = false;
  size_t sectionEnd = 0;  // line index after the section's last key line
  for (size_t i = 0; i < lines.size() && !written; ++i) {
    std::string name, k, v;
    if (SectionName(lines[i], name)) {
      if (inSection) break;  // the key was not in our section
      inSection = SameName(name, section);
      if (inSection) { sectionSeen = true; sectionEnd = i + 1; }
    } else if (inSection) {
      if (KeyValue(lines[i], k, v)) {
        if (SameName(k, key)) { lines[i] = entry; written = true; }
        else sectionEnd = i + 1;
      }
    }
  }
  if (!written) {
    if (sectionSeen) {
      lines.insert(lines.begin() + static_cast<long>(sectionEnd), entry);
    } else {
      lines.push_back("[" + section + "]");
      lines.push_back(entry);
    }
  }

  std::ostringstream text;
  for (const std::string& line : lines) text << line << "\r\n";
  return WriteFileAtomically(path, text.str());
}

}  // namespace platform
