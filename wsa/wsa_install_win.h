// Installing the WSA platform package through PowerShell (the Win32 half).
#pragma once

// Click on 按钮2: "路径不能为空" when 编辑框1 is empty, else PowerShell's add-appxpackage for
// WsaPackagePath in a maximised window of its own, not followed.
void InstallWsaPackage();
