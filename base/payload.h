// The payload carried in the executable: constant byte blocks, each written out byte for byte.
#pragma once

#include <cstddef>

struct PayloadItem {
    const unsigned char* data = nullptr;
    size_t size = 0;
};

// Resource names of the payload items (RCDATA resources of the executable).
namespace payload {
inline constexpr char kAdbExe[] = "ADB_EXE";
inline constexpr char kAdbWinApiDll[] = "ADBWINAPI_DLL";
inline constexpr char kAdbWinUsbApiDll[] = "ADBWINUSBAPI_DLL";
inline constexpr char kApkIcon[] = "WSAAPK_ICO";
inline constexpr char kStoreApk[] = "STORE_APK";
inline constexpr char kAboutPicture1[] = "ABOUT1_JPG";
inline constexpr char kAboutPicture2[] = "ABOUT2_JPG";
// Pictures of the window description.
inline constexpr char kBannerPicture[] = "P1_JPG";
inline constexpr char kWsaPicture[] = "P2_PNG";
inline constexpr char kHintPicture[] = "P3_JPG";
inline constexpr char kAboutPicture[] = "P5_PNG";
}  // namespace payload

// The ADB toolkit written next to the executable at every start, in writing order.
struct AdbToolFile {
    const char* fileName;
    const char* payloadName;
};
inline constexpr AdbToolFile kAdbToolFiles[] = {
    {"adb.exe", payload::kAdbExe},
    {"AdbWinApi.dll", payload::kAdbWinApiDll},
    {"AdbWinUsbApi.dll", payload::kAdbWinUsbApiDll},
};
