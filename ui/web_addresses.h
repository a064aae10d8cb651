// The web addresses the window's links open.
#pragma once

namespace ui {

// Where the user gets the WSA package: its page in the Microsoft Store.
inline constexpr char kDownloadShareAddress[] = "https://apps.microsoft.com/detail/9P3395VX91NR";
// "关注墨羽": the subsystem's project page.
inline constexpr char kFirstAuthorPageAddress[] = "https://github.com/microsoft/WSA";
// "关注up": the subsystem's documentation pages.
inline constexpr char kSecondAuthorPageAddress[] = "https://learn.microsoft.com/windows/android/wsa/";

}  // namespace ui
