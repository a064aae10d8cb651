// AdbWinApi.dll: the protocol engine behind adb.exe's commands.
#define ADB_WINAPI_BUILDING
#include "adb/win/adb_winapi.h"

#include <string>
#include <vector>

#include "adb/client/client_commands.h"
#include "adb/win/client_platform_win.h"

extern "C" {

ADB_WINAPI_EXPORT int __cdecl AdbKillServerCommand(AdbOutputCallback output, void* context) {
    adb::WindowsClientPlatform platform(output, context);
    return adb::KillServer(platform);
}

ADB_WINAPI_EXPORT int __cdecl AdbConnectCommand(const char* target, AdbOutputCallback output, void* context) {
    adb::WindowsClientPlatform platform(output, context);
    return adb::Connect(platform, target != nullptr ? target : "");
}

ADB_WINAPI_EXPORT int __cdecl AdbInstallCommand(int optionCount,
                                                const char* const* options,
                                                const char* path,
                                                AdbOutputCallback output,
                                                void* context) {
    adb::WindowsClientPlatform platform(output, context);
    std::vector<std::string> optionList;
    for (int i = 0; i < optionCount; ++i) {
        optionList.emplace_back(options[i]);
    }
    return adb::Install(platform, optionList, path != nullptr ? path : "");
}

}  // extern "C"
