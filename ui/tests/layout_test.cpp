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

// Every box a player types in or reads from has one label, and it is the label a sighted
// player reads it by: the nearest one just above it or just to its left.
TEST(LayoutTable, EachBoxIsNamedByTheLabelBesideIt) {
    using tolvex::ui::LabelOf;
    using tolvex::ui::PlaceOf;
    for (const ControlPlace& box : kControlPlaces) {
        const bool named = box.kind == ControlKind::ResultBox || box.kind == ControlKind::EntryBox;
        ASSERT_EQ(!LabelOf(box.name).empty(), named) << box.name;
        if (!named) {
            continue;
        }
        const ControlPlace& label = PlaceOf(LabelOf(box.name));
        EXPECT_EQ(label.kind, ControlKind::Label) << box.name;
        // The gap between the label and the box, above or to the left; the other label of the
        // table that is closest in the same way must not be closer.
        auto gap = [&box](const ControlPlace& l) {
            const bool above = l.top + l.height <= box.top && l.left < box.left + box.width &&
                               box.left < l.left + l.width;
            const bool left = l.left + l.width <= box.left && l.top < box.top + box.height &&
                              box.top < l.top + l.height;
            if (above) {
                return box.top - (l.top + l.height);
            }
            return left ? box.left - (l.left + l.width) : 1 << 20;
        };
        EXPECT_LE(gap(label), 16) << box.name << " is far from " << label.name;
        for (const ControlPlace& other : kControlPlaces) {
            if (other.kind == ControlKind::Label && other.name != label.name) {
                EXPECT_GT(gap(other), gap(label)) << other.name << " is nearer " << box.name;
            }
        }
    }
    std::set<std::string_view> labels;
    for (const auto& pair : tolvex::ui::kLabels) {
        EXPECT_TRUE(labels.insert(pair.label).second) << "names two boxes: " << pair.label;
    }
}

}  // namespace
