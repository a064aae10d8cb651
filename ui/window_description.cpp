#include "ui/window_description.h"

#include "base/payload.h"

namespace ui {
namespace {

using enum ControlKind;
using control::图片框1, control::图片框2, control::图片框3, control::图片框4, control::图片框5, control::选择夹1;
using control::按钮1, control::按钮2, control::按钮3, control::按钮4, control::按钮5, control::按钮6, control::按钮7,
    control::按钮8;
using control::编辑框1, control::编辑框2, control::编辑框3, control::编辑框4, control::IP编辑框1;
using control::透明标签1, control::透明标签2, control::透明标签3, control::透明标签4, control::透明标签5,
    control::透明标签6, control::透明标签7, control::透明标签8, control::透明标签9, control::标签1, control::标签2;

constexpr StoredFont kYaHei16{"微软雅黑", -16, 400};
constexpr StoredFont kBoldDefaultFace16{"", -16, 700};

constexpr Colour kRed = 0x0000FF;
constexpr Colour kGrey = 0x808080;

constexpr const char* kPageHeaders[] = {"WSA安装", "APK安装", "关于"};

// clang-format off
constexpr ControlDescription kControls[] = {
    // Directly on the window. The banner reaches 8 pixels past the left edge of the client area.
    {.id = 图片框1, .kind = PictureBox, .page = Page::Window, .rect = {-8, 0, 360, 112},
     .picture = payload::kBannerPicture},
    {.id = 选择夹1, .kind = TabControl, .page = Page::Window, .rect = {8, 120, 336, 360}},

    // The WSA page.
    {.id = 图片框2, .kind = PictureBox, .page = Page::Wsa, .rect = {24, 48, 112, 112},
     .picture = payload::kWsaPicture},
    {.id = 透明标签1, .kind = TransparentLabel, .page = Page::Wsa, .rect = {144, 48, 168, 56},
     .text = "Windows Subsystem for Android", .font = &kYaHei16, .wordWrap = true},
    {.id = 透明标签8, .kind = TransparentLabel, .page = Page::Wsa, .rect = {152, 104, 144, 24},
     .text = "还没下载？戳我去下载", .textColour = kRed,
     .event = Event::LeftButtonDown, .routine = Routine::OpenDownloadShare},
    {.id = 按钮1, .kind = PushButton, .page = Page::Wsa, .rect = {168, 128, 136, 32}, .text = "选择安装包位置",
     .event = Event::Clicked, .routine = Routine::ChooseWsaPackage},
    {.id = 透明标签2, .kind = TransparentLabel, .page = Page::Wsa, .rect = {24, 184, 80, 24}, .text = "安装包位置:"},
    {.id = 编辑框1, .kind = EditBox, .page = Page::Wsa, .rect = {24, 216, 288, 24}, .backColour = kWhite,
     .event = Event::ContentChanged, .routine = Routine::SyncWsaPackagePath},
    {.id = 按钮2, .kind = PushButton, .page = Page::Wsa, .rect = {168, 264, 136, 40}, .text = "安装",
     .event = Event::Clicked, .routine = Routine::InstallWsaPackage},

    // The APK page.
    {.id = 透明标签3, .kind = TransparentLabel, .page = Page::Apk, .rect = {24, 32, 272, 24},
     .text = "使用前请打开开发者模式，再从此界面打开“文件”"},
    {.id = 图片框3, .kind = PictureBox, .page = Page::Apk, .rect = {16, 64, 288, 48},
     .picture = payload::kHintPicture},
    {.id = 透明标签4, .kind = TransparentLabel, .page = Page::Apk, .rect = {24, 128, 48, 24}, .text = "IP地址:"},
    {.id = IP编辑框1, .kind = IpAddressBox, .page = Page::Apk, .rect = {72, 128, 144, 24}, .text = "127.0.0.1"},
    {.id = 透明标签5, .kind = TransparentLabel, .page = Page::Apk, .rect = {224, 128, 8, 24}, .text = ":",
     .font = &kBoldDefaultFace16},
    {.id = 编辑框3, .kind = EditBox, .page = Page::Apk, .rect = {240, 128, 64, 24}, .text = "58526",
     .backColour = kWhite},
    {.id = 透明标签6, .kind = TransparentLabel, .page = Page::Apk, .rect = {24, 168, 48, 24}, .text = "APK路径:"},
    {.id = 编辑框4, .kind = EditBox, .page = Page::Apk, .rect = {80, 168, 168, 24}, .backColour = kWhite,
     .event = Event::ContentChanged, .routine = Routine::SyncApkPackagePath},
    {.id = 按钮3, .kind = PushButton, .page = Page::Apk, .rect = {256, 168, 56, 24}, .text = "选择",
     .event = Event::Clicked, .routine = Routine::ChooseApkPackage},
    {.id = 标签1, .kind = Label, .page = Page::Apk, .rect = {24, 192, 192, 16}, .text = "(路径尽量是英文路径)"},
    {.id = 按钮4, .kind = PushButton, .page = Page::Apk, .rect = {24, 216, 88, 32}, .text = "安装",
     .event = Event::Clicked, .routine = Routine::InstallChosenApk},
    {.id = 按钮7, .kind = PushButton, .page = Page::Apk, .rect = {120, 216, 96, 32}, .text = "关联APK",
     .event = Event::Clicked, .routine = Routine::RegisterApkAssociation},
    {.id = 按钮8, .kind = PushButton, .page = Page::Apk, .rect = {224, 216, 96, 32}, .text = "安装酷安",
     .event = Event::Clicked, .routine = Routine::InstallAppStore},
    {.id = 编辑框2, .kind = EditBox, .page = Page::Apk, .rect = {16, 256, 304, 96}, .textColour = kWhite,
     .backColour = kBlack, .multiLine = true},

    // The about page.
    {.id = 透明标签7, .kind = TransparentLabel, .page = Page::About, .rect = {8, 32, 304, 56},
     .text = "觉得还不错的话就关注墨羽，支持一下吧（记得把N-WAVE其他几个也给关注了哦）", .font = &kYaHei16,
     .wordWrap = true},
    {.id = 图片框4, .kind = PictureBox, .page = Page::About, .rect = {24, 40, 304, 40}},
    {.id = 按钮6, .kind = PushButton, .page = Page::About, .rect = {16, 88, 136, 32}, .text = "关注up",
     .event = Event::Clicked, .routine = Routine::OpenSecondAuthorPage},
    {.id = 按钮5, .kind = PushButton, .page = Page::About, .rect = {176, 88, 128, 32}, .text = "关注墨羽",
     .event = Event::Clicked, .routine = Routine::OpenFirstAuthorPage},
    {.id = 透明标签9, .kind = TransparentLabel, .page = Page::About, .rect = {8, 176, 200, 56},
     .text = "作者：苔门\r\n鸣谢：@青石   的技术支持\r\n      @白露 的精神支持", .wordWrap = true},
    {.id = 图片框5, .kind = PictureBox, .page = Page::About, .rect = {168, 200, 152, 144},
     .picture = payload::kAboutPicture, .event = Event::LeftButtonUp, .routine = Routine::RevealEasterEgg},
    {.id = 标签2, .kind = Label, .page = Page::About, .rect = {8, 320, 104, 32}, .text = "有彩蛋哦(小声BB)",
     .textColour = kGrey},
};
// clang-format on

}  // namespace

std::span<const char* const> PageHeaders() {
    return kPageHeaders;
}

std::span<const ControlDescription> Controls() {
    return kControls;
}

const ControlDescription* FindControl(int id) {
    for (const ControlDescription& control : kControls) {
        if (control.id == id) {
            return &control;
        }
    }
    return nullptr;
}

Routine BoundRoutine(int id, Event event) {
    const ControlDescription* control = FindControl(id);
    if (control == nullptr || event == Event::None || control->event != event) {
        return Routine::None;
    }
    return control->routine;
}

}  // namespace ui
