#pragma once
#include <string>

namespace platform {

// Opens a web page in the user's browser (xdg-open) without waiting for it;
// false when the opener cannot be started (none on the path, or it cannot
// be run).
bool OpenWebPage(const std::string& address);

}  // namespace platform
