// AdbWinUsbApi.dll: the USB entry point. This toolkit reaches devices over TCP only (as WSA is
// reached), so there is no USB interface to make.
#include <windows.h>

extern "C" __declspec(dllexport) void* __cdecl InstantiateWinUsbInterface(const wchar_t* interfaceName) {
    (void)interfaceName;
    SetLastError(ERROR_NOT_SUPPORTED);
    return nullptr;
}
