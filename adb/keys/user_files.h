// The files in the user's key folder (.android in the home folder), as the system keeps them.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace adb {

class UserFiles {
  public:
    virtual ~UserFiles() = default;

    // The folder is created when missing.
    virtual std::string UserFilePath(std::string_view name) = 0;
    // None when the file is missing, cannot be read, or is larger than any file of ours (never cut).
    virtual std::optional<std::string> ReadUserFile(std::string_view name) = 0;
    // Whether the file is there, read or not: one that ReadUserFile refused must not be replaced.
    virtual bool UserFileExists(std::string_view name) = 0;
    // `privateToUser`: nobody but the user may read it. Replaces the file as a whole.
    virtual bool WriteUserFile(std::string_view name,
                               std::string_view contents,
                               bool privateToUser,
                               std::string* error) = 0;
    virtual void RemoveUserFile(std::string_view name) = 0;
    // "user@host" for the public key line.
    virtual std::string KeyComment() = 0;
};

}  // namespace adb
