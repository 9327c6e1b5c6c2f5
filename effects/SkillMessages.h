#pragma once
// The message types effect nodes act on (see SkillMessages.cpp).
#include <string>

// True for a type the effect nodes know, also one that does nothing.
bool IsSkillMessageType(const std::string& type);
