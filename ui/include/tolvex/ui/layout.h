// tolvex/ui/layout.h - the main window's controls: kind, caption, place, focus order, labels.
#pragma once

#include <array>
#include <stdexcept>
#include <string_view>

namespace tolvex::ui {

enum class ControlKind {
    Label,      ///< fixed-size static text
    ResultBox,  ///< the multi-line result box
    EntryBox,   ///< a single-line text box
    Button,     ///< a push button
    HiddenBox,  ///< the single-line box that is never shown
};

/// One control of the window as drawn at 96 pixels per inch, where the window's font is 13
/// pixels high. Positions are of the top-left corner within the client area.
struct ControlPlace {
    std::string_view name;  ///< the control's name, e.g. "btnfilt"
    ControlKind kind;
    std::string_view caption;  ///< the initial text, UTF-8
    int left, top, width, height;
};

/// The window's outer size, frame included, at 96 pixels per inch.
inline constexpr int kOuterWidth = 507;
inline constexpr int kOuterHeight = 386;

/// Every control: the visible ones top to bottom and left to right, then the hidden box.
inline constexpr std::array<ControlPlace, 13> kControlPlaces{{
    {"lbljushu", ControlKind::Label, "缩水结果：", 16, 8, 137, 13},
    {"memcode", ControlKind::ResultBox, "", 16, 24, 249, 321},
    {"Label1", ControlKind::Label, "前期开奖：", 296, 168, 73, 13},
    {"edtcode2", ControlKind::EntryBox, "", 288, 184, 73, 21},
    {"Label5", ControlKind::Label, "上期开奖：", 384, 168, 73, 13},
    {"edtcode1", ControlKind::EntryBox, "", 384, 184, 73, 21},
    {"Label2", ControlKind::Label, "对奖", 336, 228, 33, 13},
    {"edtdj", ControlKind::EntryBox, "", 384, 224, 41, 21},
    {"btnfilt", ControlKind::Button, "过滤", 296, 264, 75, 25},
    {"btnsave", ControlKind::Button, "保存", 392, 264, 75, 25},
    {"btncopy", ControlKind::Button, "复制", 296, 304, 75, 25},
    {"btnclose", ControlKind::Button, "退出", 392, 304, 75, 25},
    {"edtcopy", ControlKind::HiddenBox, "", 388, 16, 73, 21},
}};

/// The order in which Tab moves the focus; the window opens with the focus in the first.
inline constexpr std::array<std::string_view, 8> kFocusOrder{
    "edtcode2", "edtcode1", "memcode", "btnfilt", "btncopy", "btnclose", "edtdj", "btnsave"};

/// Which label names which box: assistive technology speaks the label's text as the box's name.
struct LabelFor {
    std::string_view label;  ///< the label's name, e.g. "Label1"
    std::string_view box;    ///< the box it names, e.g. "edtcode2"
};
inline constexpr std::array<LabelFor, 4> kLabels{{
    {"lbljushu", "memcode"},
    {"Label1", "edtcode2"},
    {"Label5", "edtcode1"},
    {"Label2", "edtdj"},
}};

/// The name of the label that names `box`; empty when no label does.
constexpr std::string_view LabelOf(std::string_view box) {
    for (const LabelFor& pair : kLabels) {
        if (pair.box == box) {
            return pair.label;
        }
    }
    return {};
}

/// The button that Enter presses from a single-line box, and that shows as the default
/// whenever no push button has the focus.
inline constexpr std::string_view kDefaultButton = "btnfilt";

/// The control called `name`; a name that is not in the table does not compile in a constant
/// expression and throws std::out_of_range otherwise.
constexpr const ControlPlace& PlaceOf(std::string_view name) {
    for (const ControlPlace& place : kControlPlaces) {
        if (place.name == name) {
            return place;
        }
    }
    throw std::out_of_range("no such control");
}

/// `pixels` of the table at a layout scale (1 at 96 pixels per inch), to the nearest pixel.
constexpr int Scaled(int pixels, double scale) {
    return static_cast<int>(pixels * scale + 0.5);
}

}  // namespace tolvex::ui
