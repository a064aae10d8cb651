// The packages one instance of the program hands to the one that installs: a list of full paths in their
// wide (UTF-16) form, as the data of one WM_COPYDATA. Any process may send the window such data, so the
// reader takes nothing on trust.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The WM_COPYDATA kind that marks the data as ours ("MGH1").
inline constexpr uintptr_t kHandoffKind = 0x4D474831;
inline constexpr size_t kMaxHandoffPaths = 500;
inline constexpr size_t kMaxHandoffPathUnits = 32767;

// "MGH1", the number of paths, then each path as its length and its UTF-16 units, all little-endian.
std::string EncodeHandoff(const std::vector<std::u16string>& paths);

// The paths, or none when the data is not exactly one list in that form within the limits (and no path
// holds a NUL). An empty path stays one: the install says what the client makes of it.
std::optional<std::vector<std::u16string>> DecodeHandoff(std::string_view data);
