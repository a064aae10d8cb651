// Control identifiers of the main window, one per control of the window description, named as there.
// The X-list lets tools (the test driver) map the names to identifiers as well.
#pragma once

#define MOSSGATE_CONTROLS(X) \
    X(按钮1, 101)            \
    X(按钮2, 102)            \
    X(按钮3, 103)            \
    X(按钮4, 104)            \
    X(按钮5, 105)            \
    X(按钮6, 106)            \
    X(按钮7, 107)            \
    X(按钮8, 108)            \
    X(编辑框1, 201)          \
    X(编辑框2, 202)          \
    X(编辑框3, 203)          \
    X(编辑框4, 204)          \
    X(IP编辑框1, 301)        \
    X(透明标签1, 401)        \
    X(透明标签2, 402)        \
    X(透明标签3, 403)        \
    X(透明标签4, 404)        \
    X(透明标签5, 405)        \
    X(透明标签6, 406)        \
    X(透明标签7, 407)        \
    X(透明标签8, 408)        \
    X(透明标签9, 409)        \
    X(标签1, 501)            \
    X(标签2, 502)            \
    X(图片框1, 601)          \
    X(图片框2, 602)          \
    X(图片框3, 603)          \
    X(图片框4, 604)          \
    X(图片框5, 605)          \
    X(选择夹1, 701)

namespace control {
#define MOSSGATE_CONTROL_CONSTANT(name, id) inline constexpr int name = id;
MOSSGATE_CONTROLS(MOSSGATE_CONTROL_CONSTANT)
#undef MOSSGATE_CONTROL_CONSTANT
}  // namespace control
