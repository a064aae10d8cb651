// AdbWinApi.dll: the protocol engine behind adb.exe's commands.
#define ADB_WINAPI_BUILDING
#include "adb/win/adb_winapi.h"

#include <exception>
#include <string>
#include <vector>

#include "adb/client/client_commands.h"
#include "adb/win/client_platform_win.h"

namespace {

// Nothing the device sends may end the program without a word: an exception becomes a message.
template <typename Work>
int Guarded(AdbOutputCallback output, void* context, Work work) {
    try {
        return work();
    } catch (const std::exception& exception) {
        std::string text = std::string("adb: error: ") + exception.what() + "\n";
        if (output != nullptr) {
            output(context, kAdbStderr, text.data(), static_cast<unsigned>(text.size()));
        }
        return 1;
    }
}

}  // namespace

extern "C" {

ADB_WINAPI_EXPORT int __cdecl AdbKillServerCommand(AdbOutputCallback output, void* context) {
    return Guarded(output, context, [&] {
        adb::WindowsClientPlatform platform(output, context);
        return adb::KillServer(platform);
    });
}

ADB_WINAPI_EXPORT int __cdecl AdbConnectCommand(const char* target, AdbOutputCallback output, void* context) {
    return Guarded(output, context, [&] {
        adb::WindowsClientPlatform platform(output, context);
        return adb::Connect(platform, target != nullptr ? target : "");
    });
}

ADB_WINAPI_EXPORT int __cdecl AdbInstallCommand(int optionCount,
                                                const char* const* options,
                                                const char* path,
                                                AdbOutputCallback output,
                                                void* context) {
    return Guarded(output, context, [&] {
        adb::WindowsClientPlatform platform(output, context);
        std::vector<std::string> optionList(options, options + optionCount);
        return adb::Install(platform, optionList, path != nullptr ? path : "");
    });
}

ADB_WINAPI_EXPORT int __cdecl AdbInstallCommandW(int optionCount,
                                                 const char* const* options,
                                                 const char* ansiPath,
                                                 const wchar_t* widePath,
                                                 AdbOutputCallback output,
                                                 void* context) {
    return Guarded(output, context, [&] {
        adb::WindowsClientPlatform platform(output, context);
        std::string path = ansiPath != nullptr ? ansiPath : "";
        platform.UseWidePath(path, widePath != nullptr ? widePath : L"");
        return adb::Install(platform, std::vector<std::string>(options, options + optionCount), path);
    });
}

ADB_WINAPI_EXPORT int __cdecl AdbInstallMultipleCommandW(int count,
                                                         const char* const* ansiArguments,
                                                         const wchar_t* const* wideArguments,
                                                         AdbOutputCallback output,
                                                         void* context) {
    return Guarded(output, context, [&] {
        adb::WindowsClientPlatform platform(output, context);
        std::vector<std::string> arguments;
        for (int i = 0; i < count; ++i) {
            arguments.emplace_back(ansiArguments[i] != nullptr ? ansiArguments[i] : "");
            if (wideArguments != nullptr && wideArguments[i] != nullptr) {
                platform.UseWidePath(arguments.back(), wideArguments[i]);
            }
        }
        return adb::InstallMultiple(platform, arguments);
    });
}

ADB_WINAPI_EXPORT int __cdecl AdbPushCommandW(const char* ansiLocal,
                                              const wchar_t* wideLocal,
                                              const char* remoteUtf8,
                                              AdbOutputCallback output,
                                              void* context) {
    return Guarded(output, context, [&] {
        adb::WindowsClientPlatform platform(output, context);
        std::string local = ansiLocal != nullptr ? ansiLocal : "";
        platform.UseWidePath(local, wideLocal != nullptr ? wideLocal : L"");
        return adb::Push(platform, local, remoteUtf8 != nullptr ? remoteUtf8 : "");
    });
}

}  // extern "C"
