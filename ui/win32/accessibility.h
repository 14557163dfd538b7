// accessibility.h - what the window tells assistive technology beyond what its controls say.
#pragma once

#include <windows.h>

#include <string>

namespace tolvex::win32 {

/// Sets the accessible description of `control` (an empty text takes it away) and tells
/// assistive technology that it changed, with EVENT_OBJECT_DESCRIPTIONCHANGE. The change is
/// told even when the system cannot keep the description (Wine has no annotation service);
/// false then.
bool DescribeControl(HWND control, const std::wstring& description);

}  // namespace tolvex::win32
