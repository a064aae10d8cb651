#include "ui/control_events_win.h"

#include <utility>

#include "ui/controls_win.h"

namespace {

RoutineRunner routineRunner = nullptr;
// The edit box the program is writing right now, whose own EN_CHANGE is not an event.
int boxBeingWritten = 0;

}  // namespace

void SetRoutineRunner(RoutineRunner runner) {
    routineRunner = runner;
}

void RunRoutine(ui::Routine routine) {
    if (routine != ui::Routine::None && routineRunner != nullptr) {
        routineRunner(routine);
    }
}

void RunControlEvent(int controlId, ui::Event event) {
    RunRoutine(ui::BoundRoutine(controlId, event));
}

void HandleControlCommand(int controlId, int notificationCode) {
    const ui::ControlDescription* control = ui::FindControl(controlId);
    if (control == nullptr) {
        return;
    }
    if (control->kind == ui::ControlKind::PushButton && notificationCode == BN_CLICKED) {
        RunControlEvent(controlId, ui::Event::Clicked);
    } else if (control->kind == ui::ControlKind::EditBox && notificationCode == EN_CHANGE &&
               controlId != boxBeingWritten) {
        RunControlEvent(controlId, ui::Event::ContentChanged);
    }
}

void SetEditText(int controlId, const std::string& text) {
    HWND box = ControlWindow(controlId);
    if (box == nullptr) {
        return;
    }
    // The box reports its own change while the text is replaced; that one is dropped and the
    // content-changed event fires once afterwards, also when the text did not change.
    const int previous = std::exchange(boxBeingWritten, controlId);
    (void)SendMessageA(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    boxBeingWritten = previous;
    RunControlEvent(controlId, ui::Event::ContentChanged);
}
