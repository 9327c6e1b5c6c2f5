#pragma once
// Sound bytes made in memory, and inputs that read them, for the sound tests
// and benchmarks.
#include "platform/Sound.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

// A 16-bit PCM wave file of interleaved samples.
inline std::string MakeWave(int rate, int channels, const std::vector<int16_t>& samples) {
  auto u32 = [](std::string& s, uint32_t v) { s.append(reinterpret_cast<const char*>(&v), 4); };
  auto u16 = [](std::string& s, uint16_t v) { s.append(reinterpret_cast<const char*>(&v), 2); };
  const uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
  std::string s = "RIFF";
  u32(s, 36 + dataBytes);
  s += "WAVEfmt ";
  u32(s, 16);
  u16(s, 1);
  u16(s, static_cast<uint16_t>(channels));
  u32(s, static_cast<uint32_t>(rate));
  u32(s, static_cast<uint32_t>(rate * channels * 2));
  u16(s, static_cast<uint16_t>(channels * 2));
  u16(s, 16);
  s += "data";
  u32(s, dataBytes);
  s.append(reinterpret_cast<const char*>(samples.data()), dataBytes);
  return s;
}

// A mono sine tone of the given length.
inline std::string MakeTone(int rate, double seconds, double frequency = 440.0) {
  std::vector<int16_t> samples(static_cast<size_t>(rate * seconds));
  for (size_t i = 0; i < samples.size(); ++i)
    samples[i] = static_cast<int16_t>(8000 * std::sin(2 * M_PI * frequency * static_cast<double>(i) / rate));
  return MakeWave(rate, 1, samples);
}

class MemoryInput : public platform::SoundInput {
 public:
  explicit MemoryInput(std::string bytes) : mBytes(std::move(bytes)) {}
  int64_t Size() override { return static_cast<int64_t>(mBytes.size()); }
  size_t Read(void* buffer, size_t count) override {
    const size_t n = std::min(count, mBytes.size() - mPos);
    std::memcpy(buffer, mBytes.data() + mPos, n);
    mPos += n;
    return n;
  }
  bool Seek(int64_t position) override {
    if (position < 0 || static_cast<size_t>(position) > mBytes.size()) return false;
    mPos = static_cast<size_t>(position);
    return true;
  }
  int64_t Tell() override { return static_cast<int64_t>(mPos); }

 private:
  std::string mBytes;
  size_t mPos = 0;
};
