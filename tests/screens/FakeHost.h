#pragma once
// The application's part for the screens' tests: the real record files, and
// a note of each call.
#include "game/PlayerRecord.h"
#include "screens/GameHost.h"

#include <string>
#include <vector>

class FakeHost : public CGAGameHost {
 public:
  std::vector<std::string> calls;
  void SavePlayerRecord(const std::string& name) override {
    calls.push_back("save " + name);
    WritePlayerRecord(name, PlayerRecord);
  }
  void LoadPlayerRecord(const std::string& name) override {
    calls.push_back("load " + name);
    ReadPlayerRecord(name, PlayerRecord);
  }
  void OpenWebPage(const std::string&) override { calls.push_back("web"); }
  void SetFullScreen(bool on) override { calls.push_back(on ? "full screen" : "windowed"); }
  void SetWindowedSize(int width, int height) override {
    calls.push_back("size " + std::to_string(width) + "x" + std::to_string(height));
  }
  void ExitGame() override { calls.push_back("exit"); }
};
