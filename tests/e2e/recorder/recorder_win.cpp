// recorder.exe: a stand-in for the programs MOSSGATE starts (copied as adb.exe, powershell.exe, ...).
// Every run appends one JSON line to the log and then behaves as configured by files next to it:
//   log   %MOSSGATE_RECORDER_LOG% (a Windows path, or a Unix path that Wine reaches through Z:),
//         else recorder.log next to the executable
//   record {"exe","name","image","cmdline","cmdline_ansi_hex","args","cwd","pid","ppid","tick"}
//   then, with NAME the executable's name without ".exe" and KEY its first argument (when it is a
//   plain word of letters, digits, '.', '_' or '-'), each read from NAME.KEY.<what>, else NAME.<what>:
//     stdout / stderr  bytes written as they are to standard output / standard error
//     wait             milliseconds to wait before exiting; the file NAME.release ends the wait early
//     after            bytes written to standard output after the wait
//     exitcode         the exit code (decimal; 259 is allowed)
#include <windows.h>

#include <shellapi.h>
#include <tlhelp32.h>

#include <string>
#include <vector>

#include "tests/e2e/driver/json_value.h"

namespace {

std::string ToUtf8(const std::wstring& wide) {
    if (wide.empty())
        return {};
    int length =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string text(length, '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), text.data(), length, nullptr, nullptr);
    return text;
}

std::string Hex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char c : bytes) {
        hex += digits[c >> 4];
        hex += digits[c & 15];
    }
    return hex;
}

std::wstring OwnPath() {
    wchar_t path[MAX_PATH * 4] = {};
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH * 4);
    return std::wstring(path, length);
}

std::wstring FolderOf(const std::wstring& path) {
    size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? L"." : path.substr(0, slash);
}

std::wstring FileNameOf(const std::wstring& path) {
    size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::wstring WithoutExe(const std::wstring& name) {
    if (name.size() > 4 && _wcsicmp(name.c_str() + name.size() - 4, L".exe") == 0) {
        return name.substr(0, name.size() - 4);
    }
    return name;
}

bool ReadWholeFile(const std::wstring& path, std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bytes.clear();
    char buffer[65536];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0)
        bytes.append(buffer, read);
    CloseHandle(file);
    return true;
}

void WriteAll(HANDLE handle, const std::string& bytes) {
    size_t at = 0;
    while (at < bytes.size()) {
        DWORD written = 0;
        if (!WriteFile(handle, bytes.data() + at, static_cast<DWORD>(bytes.size() - at), &written, nullptr) ||
            written == 0) {
            return;
        }
        at += written;
    }
}

bool IsPlainWord(const std::wstring& word) {
    if (word.empty() || word.size() > 64)
        return false;
    for (wchar_t c : word) {
        if (!((c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') || c == L'.' ||
              c == L'_' || c == L'-')) {
            return false;
        }
    }
    return true;
}

DWORD ParentProcessId() {
    DWORD self = GetCurrentProcessId();
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return 0;
    PROCESSENTRY32W entry = {sizeof(entry)};
    DWORD parent = 0;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        if (entry.th32ProcessID == self)
            parent = entry.th32ParentProcessID;
    }
    CloseHandle(snapshot);
    return parent;
}

std::wstring LogPath(const std::wstring& folder) {
    wchar_t value[MAX_PATH * 4] = {};
    DWORD length = GetEnvironmentVariableW(L"MOSSGATE_RECORDER_LOG", value, MAX_PATH * 4);
    if (length == 0 || length >= MAX_PATH * 4)
        return folder + L"\\recorder.log";
    std::wstring path(value, length);
    if (path[0] == L'/') {
        // A Unix path: Wine's drive Z: is the Unix root.
        for (wchar_t& c : path)
            c = c == L'/' ? L'\\' : c;
        path = L"Z:" + path;
    }
    return path;
}

void AppendRecord(const std::wstring& logPath, const std::string& line) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        HANDLE file =
            CreateFileW(logPath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                        nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            // One write of the whole line: records of concurrent runs do not interleave.
            WriteAll(file, line);
            CloseHandle(file);
            return;
        }
        Sleep(10);
    }
}

}  // namespace

int main() {
    const std::wstring image = OwnPath();
    const std::wstring folder = FolderOf(image);
    const std::wstring exe = FileNameOf(image);
    const std::wstring name = WithoutExe(exe);

    int count = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::wstring> arguments;
    for (int n = 1; n < count; ++n)
        arguments.emplace_back(argv[n]);
    LocalFree(argv);

    wchar_t cwd[MAX_PATH * 4] = {};
    DWORD cwdLength = GetCurrentDirectoryW(MAX_PATH * 4, cwd);

    JsonValue record = JsonValue::MakeObject();
    record.Set("exe", ToUtf8(exe));
    record.Set("name", ToUtf8(name));
    record.Set("image", ToUtf8(image));
    record.Set("cmdline", ToUtf8(GetCommandLineW()));
    record.Set("cmdline_ansi_hex", Hex(GetCommandLineA()));
    JsonValue args = JsonValue::MakeArray();
    for (const std::wstring& argument : arguments)
        args.Append(ToUtf8(argument));
    record.Set("args", args);
    record.Set("cwd", ToUtf8(std::wstring(cwd, cwdLength)));
    record.Set("pid", static_cast<unsigned long>(GetCurrentProcessId()));
    record.Set("ppid", static_cast<unsigned long>(ParentProcessId()));
    record.Set("tick", static_cast<unsigned long>(GetTickCount()));
    AppendRecord(LogPath(folder), record.Serialize() + "\n");

    const std::wstring base = folder + L"\\" + name;
    const std::wstring keyed = !arguments.empty() && IsPlainWord(arguments[0]) ? base + L"." + arguments[0] : base;
    auto setting = [&](const wchar_t* what, std::string& bytes) {
        return ReadWholeFile(keyed + L"." + what, bytes) || ReadWholeFile(base + L"." + what, bytes);
    };

    std::string bytes;
    if (setting(L"stdout", bytes))
        WriteAll(GetStdHandle(STD_OUTPUT_HANDLE), bytes);
    if (setting(L"stderr", bytes))
        WriteAll(GetStdHandle(STD_ERROR_HANDLE), bytes);
    if (setting(L"wait", bytes)) {
        const DWORD wait = strtoul(bytes.c_str(), nullptr, 10);
        const std::wstring release = base + L".release";
        for (DWORD start = GetTickCount(); GetTickCount() - start < wait;) {
            if (GetFileAttributesW(release.c_str()) != INVALID_FILE_ATTRIBUTES)
                break;
            Sleep(20);
        }
    }
    if (setting(L"after", bytes))
        WriteAll(GetStdHandle(STD_OUTPUT_HANDLE), bytes);
    UINT exitCode = 0;
    if (setting(L"exitcode", bytes))
        exitCode = strtoul(bytes.c_str(), nullptr, 10);
    ExitProcess(exitCode);
}
