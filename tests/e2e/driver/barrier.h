// What uidriver.exe and its hook library (uidriver_hook.dll) agree on.
#pragma once

#include <windows.h>

inline constexpr wchar_t kBarrierMessageName[] = L"MossgateUidriverBarrier";
// Followed by the program's process id.
inline constexpr wchar_t kBarrierEventPrefix[] = L"Local\\MossgateUidriverBarrier.";
inline constexpr WORD kBarrierKey = VK_F24;  // a key-up of it follows real keyboard input
// Real mouse input is followed by a release of the second extra mouse button.
inline constexpr ULONG_PTR kBarrierExtraInfo = 0x4d475542;
