// The user's key folder on Windows: %USERPROFILE%\.android (or MOSSGATE_ADB_HOME\.android).
#pragma once

#include "adb/keys/user_files.h"

namespace adb {

class WindowsUserFiles : public UserFiles {
  public:
    std::string UserFilePath(std::string_view name) override;
    std::optional<std::string> ReadUserFile(std::string_view name) override;
    bool UserFileExists(std::string_view name) override;
    bool WriteUserFile(std::string_view name,
                       std::string_view contents,
                       bool privateToUser,
                       std::string* error) override;
    void RemoveUserFile(std::string_view name) override;
    std::string KeyComment() override;
};

}  // namespace adb
