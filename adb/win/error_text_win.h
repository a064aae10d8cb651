// The system's words for a Winsock error.
#pragma once

#include <string>

namespace adb {

// In English, as the Windows client prints them, with the code: "... actively refused it. (10061)".
std::string SocketErrorText(int code);

}  // namespace adb
