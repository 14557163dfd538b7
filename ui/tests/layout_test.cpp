// layout_test.cpp - the window's layout table holds together: names, focus order, places.
#include "tolvex/ui/layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

namespace {

using tolvex::ui::ControlKind;
using tolvex::ui::ControlPlace;
using tolvex::ui::kControlPlaces;
using tolvex::ui::kFocusOrder;

bool TakesFocus(ControlKind kind) {
    return kind != ControlKind::Label && kind != ControlKind::HiddenBox;
}

TEST(LayoutTable, NamesFocusOrderAndDefaultButtonAgree) {
    std::set<std::string_view> names;
    for (const ControlPlace& place : kControlPlaces) {
        EXPECT_TRUE(names.insert(place.name).second) << "twice: " << place.name;
    }
    // Every control that can take the focus stands in the focus order once, and no other.
    std::multiset<std::string_view> ordered(kFocusOrder.begin(), kFocusOrder.end());
    for (const ControlPlace& place : kControlPlaces) {
        EXPECT_EQ(ordered.count(place.name), TakesFocus(place.kind) ? 1u : 0u) << place.name;
    }
    EXPECT_EQ(ordered.size(), static_cast<std::size_t>(std::count_if(
                                  kControlPlaces.begin(), kControlPlaces.end(),
                                  [](const ControlPlace& p) { return TakesFocus(p.kind); })));
    EXPECT_EQ(tolvex::ui::PlaceOf(tolvex::ui::kDefaultButton).kind, ControlKind::Button);
    EXPECT_THROW(tolvex::ui::PlaceOf("nosuchcontrol"), std::out_of_range);
}

TEST(LayoutTable, VisibleControlsFitTheWindowAndNeverOverlap) {
    for (const ControlPlace& a : kControlPlaces) {
        if (a.kind == ControlKind::HiddenBox) {
            continue;
        }
        EXPECT_GE(a.left, 0) << a.name;
        EXPECT_GE(a.top, 0) << a.name;
        EXPECT_LT(a.left + a.width, tolvex::ui::kOuterWidth) << a.name;
        EXPECT_LT(a.top + a.height, tolvex::ui::kOuterHeight) << a.name;
        for (const ControlPlace& b : kControlPlaces) {
            if (&a == &b || b.kind == ControlKind::HiddenBox) {
                continue;
            }
            const bool apart = a.left + a.width <= b.left || b.left + b.width <= a.left ||
                               a.top + a.height <= b.top || b.top + b.height <= a.top;
            EXPECT_TRUE(apart) << a.name << " overlaps " << b.name;
        }
    }
}

}  // namespace
