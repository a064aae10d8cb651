// The path the client is given for a package. Paths reach the program in their wide form (the dialog,
// the command line, a drop, another instance); the command interpreter and the client take ANSI text,
// where a name outside the ANSI code page (an emoji, Hangul, ...) would arrive as '?' and name no file.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

// GetShortPathNameW, or a stand-in for a volume without short names.
using ShortPathFunction = DWORD(WINAPI*)(LPCWSTR longPath, LPWSTR shortPath, DWORD capacity);

// The path as ANSI text when it fits, else its short form when that fits; none when only a copy would do.
std::optional<std::string> AnsiPathOf(const std::wstring& path, ShortPathFunction shortPath = GetShortPathNameW);

// Whether the file is a package or a bundle by its content, whatever its name: a ZIP with a manifest at
// its root or with APKs in it.
bool IsPackageByContent(const std::wstring& path);

class ClientPackagePath {
  public:
    // The path as ANSI text when it fits; else its short (8.3) form when that fits; else a copy of the
    // file in the work folder's copy folder under an ASCII name, removed again with this object.
    explicit ClientPackagePath(const std::wstring& path, ShortPathFunction shortPath = GetShortPathNameW);
    ~ClientPackagePath();
    ClientPackagePath(const ClientPackagePath&) = delete;
    ClientPackagePath& operator=(const ClientPackagePath&) = delete;

    const std::string& Ansi() const { return ansi_; }
    bool IsCopy() const { return copied_; }
    // Empty unless the copy was needed and failed; the log's line then.
    const std::string& Problem() const { return problem_; }

  private:
    std::string ansi_;
    bool copied_ = false;
    std::string problem_;
};
