#include "ui/window_description.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace {

using ui::ControlKind;
using ui::Event;

std::set<int> NamedControlIds() {
    std::set<int> ids;
#define MOSSGATE_COLLECT_ID(name, id) ids.insert(id);
    MOSSGATE_CONTROLS(MOSSGATE_COLLECT_ID)
#undef MOSSGATE_COLLECT_ID
    return ids;
}

TEST(WindowDescription, DescribesEveryNamedControlExactlyOnce) {
    std::map<int, int> seen;
    for (const ui::ControlDescription& control : ui::Controls()) {
        ++seen[control.id];
    }
    for (int id : NamedControlIds()) {
        EXPECT_EQ(seen[id], 1) << id;
    }
    EXPECT_EQ(seen.size(), NamedControlIds().size());
}

// A bound event must be one the control's kind can raise, or it never fires.
TEST(WindowDescription, EveryBindingFitsItsControlKind) {
    for (const ui::ControlDescription& control : ui::Controls()) {
        const bool bound = control.routine != ui::Routine::None;
        EXPECT_EQ(bound, control.event != Event::None) << control.id;
        switch (control.event) {
            case Event::Clicked:
                EXPECT_EQ(control.kind, ControlKind::PushButton) << control.id;
                break;
            case Event::ContentChanged:
                EXPECT_EQ(control.kind, ControlKind::EditBox) << control.id;
                break;
            case Event::LeftButtonDown:
            case Event::LeftButtonUp:
                EXPECT_TRUE(control.kind == ControlKind::PictureBox || control.kind == ControlKind::Label ||
                            control.kind == ControlKind::TransparentLabel)
                    << control.id;
                break;
            case Event::None:
                break;
        }
    }
}

TEST(WindowDescription, BoundRoutineAnswersOnlyTheBoundEvent) {
    EXPECT_EQ(ui::BoundRoutine(control::图片框5, Event::LeftButtonUp), ui::Routine::RevealEasterEgg);
    EXPECT_EQ(ui::BoundRoutine(control::图片框5, Event::LeftButtonDown), ui::Routine::None);
    EXPECT_EQ(ui::BoundRoutine(control::透明标签8, Event::LeftButtonDown), ui::Routine::OpenDownloadShare);
    EXPECT_EQ(ui::BoundRoutine(control::透明标签8, Event::LeftButtonUp), ui::Routine::None);
    EXPECT_EQ(ui::BoundRoutine(control::图片框4, Event::LeftButtonUp), ui::Routine::None);
    EXPECT_EQ(ui::BoundRoutine(control::编辑框2, Event::ContentChanged), ui::Routine::None);
    EXPECT_EQ(ui::BoundRoutine(12345, Event::Clicked), ui::Routine::None);
}

// The pages' controls are placed relative to the tab control and must lie inside it.
TEST(WindowDescription, PageControlsLieInsideTheTabControl) {
    const ui::ControlDescription* tab = ui::FindControl(control::选择夹1);
    ASSERT_NE(tab, nullptr);
    for (const ui::ControlDescription& control : ui::Controls()) {
        if (control.page == ui::Page::Window) {
            continue;
        }
        EXPECT_GE(control.rect.left, 0) << control.id;
        EXPECT_GE(control.rect.top, 0) << control.id;
        EXPECT_LE(control.rect.left + control.rect.width, tab->rect.width) << control.id;
        EXPECT_LE(control.rect.top + control.rect.height, tab->rect.height) << control.id;
    }
}

// Z order follows creation order: a label drawn over a picture must come before it.
TEST(WindowDescription, LabelsComeBeforeThePicturesTheyOverlap) {
    const auto controls = ui::Controls();
    auto overlap = [](const ui::Rect& a, const ui::Rect& b) {
        return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height &&
               b.top < a.top + a.height;
    };
    for (size_t i = 0; i < controls.size(); ++i) {
        for (size_t j = 0; j < controls.size(); ++j) {
            const bool label = controls[i].kind == ControlKind::TransparentLabel;
            if (label && controls[j].kind == ControlKind::PictureBox && controls[i].page == controls[j].page &&
                overlap(controls[i].rect, controls[j].rect)) {
                EXPECT_LT(i, j) << controls[i].id << " over " << controls[j].id;
            }
        }
    }
}

}  // namespace
