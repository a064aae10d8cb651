// The main window as data: its frame, the tab pages, and every control with its kind, place, text,
// font, colours, picture and bound event. The Win32 half (main_window_win.cpp) realises it.
#pragma once

#include <cstdint>
#include <span>

#include "ui/control_ids.h"

namespace ui {

// 0x00BBGGRR; kDefaultColour is drawn as the system's button-face colour.
using Colour = uint32_t;
inline constexpr Colour kDefaultColour = 0xFF000000;
inline constexpr Colour kBlack = 0x000000;
inline constexpr Colour kWhite = 0xFFFFFF;

enum class ControlKind { PushButton, EditBox, IpAddressBox, Label, TransparentLabel, PictureBox, TabControl };

// Where a control lives: directly on the window, or on one page of 选择夹1 (as a child of the tab control).
enum class Page { Window = -1, Wsa = 0, Apk = 1, About = 2 };

enum class Event { None, Clicked, ContentChanged, LeftButtonDown, LeftButtonUp };

// Every routine a control or window event can run.
enum class Routine {
    None,
    PrepareWorkspace,
    RemoveAdbTools,
    ChooseWsaPackage,
    SyncWsaPackagePath,
    OpenDownloadShare,
    InstallWsaPackage,
    ChooseApkPackage,
    SyncApkPackagePath,
    InstallChosenApk,
    RegisterApkAssociation,
    InstallAppStore,
    OpenFirstAuthorPage,
    OpenSecondAuthorPage,
    RevealEasterEgg,
};

struct Rect {
    int left;
    int top;
    int width;
    int height;
};

// A stored font: the face (empty: the system default face), the height in logical units (negative:
// character height in pixels) and the weight. Controls without one use the default GUI font.
struct StoredFont {
    const char* face;
    int height;
    int weight;
};

struct ControlDescription {
    int id;
    ControlKind kind;
    Page page;
    Rect rect;
    const char* text = "";
    const StoredFont* font = nullptr;
    Colour textColour = kBlack;
    Colour backColour = kDefaultColour;
    bool wordWrap = false;          // labels: wrap from the top instead of one centred line
    bool multiLine = false;         // edit boxes: the multi-line log
    const char* picture = nullptr;  // picture boxes: the payload item shown at start
    Event event = Event::None;
    Routine routine = Routine::None;
};

inline constexpr int kWindowWidth = 355;
inline constexpr int kWindowHeight = 516;
inline constexpr char kWindowTitle[] = "";
inline constexpr Routine kWindowCreated = Routine::PrepareWorkspace;
inline constexpr Routine kWindowDestroyed = Routine::RemoveAdbTools;

// Header texts of the pages of 选择夹1, in page order.
std::span<const char* const> PageHeaders();

// Every control, in creation order. Creation order is the Z order (earlier lies above later) and the
// Tab-key order; labels come before the pictures they overlap so that their text stays readable.
std::span<const ControlDescription> Controls();

// The control with this id, or null.
const ControlDescription* FindControl(int id);

// The routine bound to this event of this control, or Routine::None.
Routine BoundRoutine(int id, Event event);

// Where a window of the given outer size is placed to be centred on a screen of the given size.
inline int CentredPosition(int screenExtent, int windowExtent) {
    return (screenExtent - windowExtent) / 2;
}

}  // namespace ui
