// Choosing a package through the real open-file dialog, answered from a second thread.
#include <windows.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>

#include "app/program_state.h"
#include "tests/win/main_window_fixture.h"
#include "ui/controls_win.h"
#include "ui/file_dialog_win.h"
#include "ui/window_commands_win.h"

namespace {

// Dialog control ids of the open-file dialog: the file name box (combo or edit) and OK.
constexpr int kFileNameCombo = 0x47C;
constexpr int kFileNameEdit = 0x480;

struct DialogSearch {
    DWORD process;
    HWND found;
};

BOOL CALLBACK TakeOwnDialog(HWND candidate, LPARAM context) {
    auto* search = reinterpret_cast<DialogSearch*>(context);
    char className[16] = {};
    DWORD process = 0;
    (void)GetWindowThreadProcessId(candidate, &process);
    (void)GetClassNameA(candidate, className, sizeof(className));
    if (process == search->process && IsWindowVisible(candidate) && strcmp(className, "#32770") == 0) {
        search->found = candidate;
        return FALSE;
    }
    return TRUE;
}

HWND FindOwnDialog() {
    DialogSearch search = {GetCurrentProcessId(), nullptr};
    (void)EnumWindows(TakeOwnDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Waits (bounded) for the dialog that the test thread is about to open and answers it: confirms the
// given path, or cancels when it is empty.
class DialogAnswer {
  public:
    explicit DialogAnswer(std::string path)
        : thread_([this, path] {
              for (int tries = 0; tries < 400 && !answered_; ++tries) {
                  if (HWND dialog = FindOwnDialog()) {
                      Answer(dialog, path);
                      answered_ = true;
                      return;
                  }
                  Sleep(25);
              }
          }) {}
    ~DialogAnswer() {
        if (thread_.joinable()) {
            thread_.join();
        }
    }
    bool answered() {
        thread_.join();
        thread_ = std::thread();
        return answered_;
    }

  private:
    static void Answer(HWND dialog, const std::string& path) {
        if (path.empty()) {
            (void)PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
            return;
        }
        HWND name = GetDlgItem(dialog, kFileNameCombo);
        (void)SetWindowTextA(name ? name : GetDlgItem(dialog, kFileNameEdit), path.c_str());
        (void)PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                           reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    }

    std::atomic<bool> answered_ = false;
    std::thread thread_;
};

std::string MakeTemporaryPackage(const char* name) {
    char folder[MAX_PATH] = {};
    (void)GetTempPathA(sizeof(folder), folder);
    std::string path = std::string(folder) + name;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    (void)CloseHandle(file);
    return path;
}

TEST_F(MainWindowTest, ConfirmedChoicePutsTheFullPathIntoTheBoxAndTheProgramWideValue) {
    const std::string package = MakeTemporaryPackage("choice.apk");
    {
        DialogAnswer answer(package);
        ChooseApkPackage();
        ASSERT_TRUE(answer.answered());
    }
    EXPECT_EQ(GetEditText(control::编辑框4), package);
    EXPECT_EQ(ApkPackagePath, package);
    EXPECT_EQ(通用对话框2.fileName, package);
    // The box was written once by the program, which ran its routine once.
    EXPECT_EQ(Count(ui::Routine::SyncApkPackagePath), 1u);
}

TEST_F(MainWindowTest, CancelledChoiceKeepsATypedPath) {
    SetEditText(control::编辑框1, "C:\\typed\\by hand.Msixbundle");
    Ran().clear();
    {
        DialogAnswer answer("");
        ChooseWsaPackage();
        ASSERT_TRUE(answer.answered());
    }
    EXPECT_EQ(GetEditText(control::编辑框1), "C:\\typed\\by hand.Msixbundle");
    EXPECT_EQ(WsaPackagePath, "C:\\typed\\by hand.Msixbundle");
    EXPECT_EQ(通用对话框1.fileName, "");
    EXPECT_EQ(Count(ui::Routine::SyncWsaPackagePath), 0u);
}

TEST_F(MainWindowTest, CancelledChoiceAfterAnEarlierOneDoesNotPutTheEarlierPathBack) {
    const std::string package = MakeTemporaryPackage("earlier.Msixbundle");
    {
        DialogAnswer answer(package);
        ChooseWsaPackage();
        ASSERT_TRUE(answer.answered());
    }
    ASSERT_EQ(WsaPackagePath, package);
    SetEditText(control::编辑框1, "C:\\typed later.Msixbundle");
    {
        DialogAnswer answer("");
        ChooseWsaPackage();
        ASSERT_TRUE(answer.answered());
    }
    EXPECT_EQ(GetEditText(control::编辑框1), "C:\\typed later.Msixbundle");
    EXPECT_EQ(WsaPackagePath, "C:\\typed later.Msixbundle");
    // The dialog still remembers the last file confirmed in it.
    EXPECT_EQ(通用对话框1.fileName, package);
}

}  // namespace
