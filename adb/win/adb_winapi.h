// What AdbWinApi.dll exports to adb.exe: the protocol engine behind the client's commands.
// Texts are bytes in the system's ANSI code page; each command returns the process exit code.
#pragma once

#include <wchar.h>

#ifdef __cplusplus
extern "C" {
#endif

#ifdef ADB_WINAPI_BUILDING
#define ADB_WINAPI_EXPORT __declspec(dllexport)
#else
#define ADB_WINAPI_EXPORT __declspec(dllimport)
#endif

enum { kAdbStdout = 1, kAdbStderr = 2 };

// Receives the command's output as it is produced.
typedef void(__cdecl* AdbOutputCallback)(void* context, int stream, const char* text, unsigned length);

ADB_WINAPI_EXPORT int __cdecl AdbKillServerCommand(AdbOutputCallback output, void* context);
ADB_WINAPI_EXPORT int __cdecl AdbConnectCommand(const char* target, AdbOutputCallback output, void* context);
ADB_WINAPI_EXPORT int __cdecl AdbInstallCommand(int optionCount,
                                                const char* const* options,
                                                const char* path,
                                                AdbOutputCallback output,
                                                void* context);

// The same with the package named by its wide path (any file name); `ansiPath` is how texts show it.
ADB_WINAPI_EXPORT int __cdecl AdbInstallCommandW(int optionCount,
                                                 const char* const* options,
                                                 const char* ansiPath,
                                                 const wchar_t* widePath,
                                                 AdbOutputCallback output,
                                                 void* context);

// install-multiple: `count` arguments (pm options, then the files), each in the ANSI code page for
// texts and by its wide name for opening.
ADB_WINAPI_EXPORT int __cdecl AdbInstallMultipleCommandW(int count,
                                                         const char* const* ansiArguments,
                                                         const wchar_t* const* wideArguments,
                                                         AdbOutputCallback output,
                                                         void* context);

// push LOCAL REMOTE: the local file by both names, the device path in UTF-8.
ADB_WINAPI_EXPORT int __cdecl AdbPushCommandW(const char* ansiLocal,
                                              const wchar_t* wideLocal,
                                              const char* remoteUtf8,
                                              AdbOutputCallback output,
                                              void* context);

#ifdef __cplusplus
}
#endif
