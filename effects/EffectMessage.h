#pragma once
// A name with named text parameters: the parameters of an effect's creation,
// and one timed message of an effect ("type" and "name").
#include <string>
#include <unordered_map>

struct EffectMessage {
  std::string name;
  std::unordered_map<std::string, std::string> params;

  // A missing key is added with an empty value.
  std::string& GetParam(const std::string& key) { return params[key]; }
  void SetParam(const std::string& key, const std::string& value) { params[key] = value; }
};
