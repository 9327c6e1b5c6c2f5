#include "effects/Message.h"

bool CGAMessage::AddMessage(float time, const SharedText& type, const SharedText& name) {
  EffectMessage message;
  message.name = name;
  message.SetParam("type", type);
  message.SetParam("name", name);
  mMessages[time].push_back(std::move(message));
  return true;
}
