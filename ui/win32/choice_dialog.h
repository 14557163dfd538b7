// choice_dialog.h - the modal dialog that asks the player to choose one answer from a list.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "base_window.h"

namespace tolvex::win32 {

/// A question over a list box of answers, with 确定 and 取消, centred on the screen. The first
/// answer is selected and the list has the focus: arrows choose, Enter or a double click takes
/// the answer, Esc cancels.
class ChoiceDialog : public BaseWindow<ChoiceDialog> {
  public:
    static constexpr wchar_t kClassName[] = L"TolvexChoiceDialog";

    /// Runs the dialog in `font`, laid out at `scale`; the chosen answer's index, or no value
    /// when it was cancelled or closed.
    static std::optional<int> Ask(const std::wstring& question,
                                  const std::vector<std::wstring>& answers, HFONT font,
                                  double scale);

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  private:
    ChoiceDialog() = default;
    // The dialog's window and controls, centred on the screen; null when it cannot be made.
    HWND Create(const std::wstring& question, const std::vector<std::wstring>& answers, HFONT font,
                double scale);
    void OnCommand(int id, int code);
    void OnOk();

    bool done_ = false;
    std::optional<int> chosen_;
};

}  // namespace tolvex::win32
