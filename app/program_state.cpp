#include "app/program_state.h"

std::string RunDirectory;
std::string WorkFolderPath;
std::string ApkIconPath;
std::vector<std::string> CommandLineArgs;
std::string WsaPackagePath;
std::string ApkPackagePath;
std::wstring ApkPackageWidePath;

namespace {
void Release(std::string& text) {
    std::string().swap(text);
}
}  // namespace

void ReleaseProgramState() {
    Release(ApkIconPath);
    Release(WorkFolderPath);
    for (std::string& argument : CommandLineArgs) {
        Release(argument);
    }
    std::vector<std::string>().swap(CommandLineArgs);
    Release(WsaPackagePath);
    Release(ApkPackagePath);
    std::wstring().swap(ApkPackageWidePath);
}
