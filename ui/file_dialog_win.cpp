#include "ui/file_dialog_win.h"

FileDialog 通用对话框1{"安装文件(*.Msixbundle)|*.Msixbundle"};
FileDialog 通用对话框2{"安装包(*.apk)|*.apk"};

bool RunFileDialog(FileDialog&) {
    return false;
}
