#pragma once
// A schedule of timed messages: for each time (seconds since the owner
// started) the messages due then, in the order they were added. The effect
// node dispatches them as their times come.
#include "effects/EffectMessage.h"

#include <map>
#include <string>
#include <vector>

class CGAMessage {
 public:
  using Schedule = std::map<float, std::vector<EffectMessage>>;

  virtual ~CGAMessage() = default;

  // Stores a message whose name is name and whose parameters are "type" and
  // "name", sharing their texts. Only exactly equal times share a list.
  bool AddMessage(float time, const SharedText& type, const SharedText& name);
  virtual bool OnMessage(EffectMessage) { return true; }

  const Schedule& GetMessages() const { return mMessages; }

 protected:
  Schedule mMessages;
};
