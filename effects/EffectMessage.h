#pragma once
// A name with named text parameters: the parameters of an effect's creation,
// and one timed message of an effect ("type" and "name").
#include <memory>
#include <string>
#include <unordered_map>

// A text that copies share rather than duplicate. A message's argument may
// be a whole resource file (a "lua" message), and every effect built from
// its definition stores that message.
class SharedText {
 public:
  SharedText() = default;
  SharedText(std::string text) : mText(std::make_shared<const std::string>(std::move(text))) {}
  SharedText(const char* text) : SharedText(std::string(text)) {}

  const std::string& str() const { return mText ? *mText : Empty(); }
  operator const std::string&() const { return str(); }

 private:
  static const std::string& Empty() {
    static const std::string empty;
    return empty;
  }
  std::shared_ptr<const std::string> mText;
};

struct EffectMessage {
  SharedText name;
  std::unordered_map<std::string, SharedText> params;

  // A missing key is added with an empty value.
  const std::string& GetParam(const std::string& key) { return params[key]; }
  void SetParam(const std::string& key, SharedText value) { params[key] = std::move(value); }
};
