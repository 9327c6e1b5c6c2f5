#include "units/Attribute.h"

// Every slot starts at 1: a timer runs only while 2 or more, so 1 means off.
CGAAttribute::CGAAttribute() : mStrings(kAttributeStrings), mInts(kSlotCount, 1) {}

void CGAAttribute::SetString(const std::string& key, const std::string& value) { mKeyed[key] = value; }

void CGAAttribute::SetString(unsigned index, const std::string& value) {
  if (index < mStrings.size()) mStrings[index] = value;
}

std::string& CGAAttribute::GetString(const std::string& key) { return mKeyed[key]; }

std::string& CGAAttribute::GetString(unsigned index) {
  if (index < mStrings.size()) return mStrings[index];
  mNoString.clear();
  return mNoString;
}

void CGAAttribute::SetInt(unsigned index, int value) {
  if (index < mInts.size()) mInts[index] = value;
}

int CGAAttribute::GetInt(unsigned index) { return index < mInts.size() ? mInts[index] : 0; }
