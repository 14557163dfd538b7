// u_main.cpp - the main window's handlers: filter and hand-over, hit marker, copy, save, exit.
#include "tolvex/ui/u_main.h"

#include <exception>
#include <string>

#include "tolvex/tolvex.h"
#include "tolvex/ui/texts.h"

namespace tolvex::ui {
namespace {

// Replaces the one "%s" of `pattern` (already in the system code page) by `argument`.
std::string Format(std::string pattern, std::string_view argument) {
    const auto at = pattern.find("%s");
    if (at != std::string::npos) {
        pattern.replace(at, 2, argument);
    }
    return pattern;
}

// Keeps the wait cursor on for one scope, and off again on every way out of it.
class WaitCursor {
  public:
    explicit WaitCursor(Desktop& desktop) : desktop_(desktop) { desktop_.SetWaitCursor(true); }
    ~WaitCursor() { desktop_.SetWaitCursor(false); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

  private:
    Desktop& desktop_;
};

}  // namespace

std::string ErrorBoxText(std::string_view message) {
    std::string text(message);
    if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') {
        text += '.';
    }
    return text;
}

Tfrmmain::Tfrmmain(Controls& controls, Desktop& desktop) : controls_(controls), desktop_(desktop) {}

void Tfrmmain::Run(void (Tfrmmain::*handler)()) {
    try {
        (this->*handler)();
    } catch (const std::exception& e) {
        ShowError(e.what());
    } catch (...) {
        ShowError("unknown error");
    }
}

void Tfrmmain::ShowError(std::string_view message) {
    desktop_.ShowError(ErrorBoxText(message));
}

void Tfrmmain::FormCreate() {
    BuildNumberTable();
}

void Tfrmmain::btnfiltClick() {
    const auto last = DrawIn(Control::edtcode1, texts::kMissingLast);
    const auto previous = last ? DrawIn(Control::edtcode2, texts::kMissingPrevious) : std::nullopt;
    if (!previous) {
        return;
    }

    WaitCursor wait(desktop_);
    const ReductionResult result = ReduceNumbers(*previous, *last);
    controls_.SetText(Control::memcode, result.text);
    controls_.SetText(Control::lbljushu, desktop_.FromUtf8(texts::kCountPrefix) +
                                             std::to_string(result.count) +
                                             desktop_.FromUtf8(texts::kCountSuffix));
    btncopyClick();
    controls_.SetText(Control::edtcode2, controls_.Text(Control::edtcode1));
    controls_.SetText(Control::edtcode1, "");
    controls_.SetFocus(Control::edtcode1);
}

std::optional<DrawDigits> Tfrmmain::DrawIn(Control box, std::string_view missing) {
    const auto draw = ParseDraw(controls_.Text(box));
    if (!draw) {
        desktop_.ShowMessage(desktop_.FromUtf8(missing));
        controls_.SetText(box, "");
        controls_.SetFocus(box);
    }
    return draw;
}

void Tfrmmain::edtcode1Change() {
    const HitResult hit =
        CheckHit(controls_.Text(Control::memcode), controls_.Text(Control::edtcode1));
    switch (hit.kind) {
        case HitKind::Clear:
            controls_.SetText(Control::edtdj, "");
            break;
        case HitKind::Hit:
            controls_.SetText(Control::edtdj, desktop_.FromUtf8(texts::kHit));
            controls_.SelectBytes(Control::memcode, hit.start, 3);
            break;
        case HitKind::Miss:
            controls_.SetText(Control::edtdj, desktop_.FromUtf8(texts::kMiss));
            break;
        case HitKind::None:
            break;
    }
}

void Tfrmmain::edtcode1Click() {
    controls_.SetText(Control::edtcode1, "");
}

void Tfrmmain::edtcode2Click() {
    controls_.SetText(Control::edtcode2, "");
}

void Tfrmmain::btncopyClick() {
    controls_.SetText(Control::edtcopy, controls_.Text(Control::memcode));
    controls_.CopyAll(Control::edtcopy);
}

std::string Tfrmmain::GetShellFolder(std::string_view name) {
    const ShellFolderRead read = desktop_.ReadShellFolder(name);
    switch (read.status) {
        case ShellFolderRead::Status::Ok:
            break;
        case ShellFolderRead::Status::InvalidType:
            throw Error(Format(desktop_.FromUtf8(texts::kInvalidType), name));
        case ShellFolderRead::Status::ReadFailed:
            throw Error(Format(desktop_.FromUtf8(texts::kReadFailed), name));
    }
    return read.path;
}

void Tfrmmain::btnsaveClick() {
    // The dialog is set up afresh each time, whatever was chosen before.
    SaveDialogSettings settings;
    settings.filter = desktop_.FromUtf8(texts::kSaveFilter);
    settings.defaultExtension = ".txt";
    settings.initialFolder = GetShellFolder("Desktop");
    settings.fileName.clear();

    const auto target = desktop_.AskSaveFile(settings);
    if (!target) {
        return;
    }
    switch (desktop_.WriteWholeFile(*target, controls_.Text(Control::memcode))) {
        case WriteStatus::Ok:
            break;
        case WriteStatus::CannotCreate:
            throw Error(Format(desktop_.FromUtf8(texts::kCannotCreate), target->name));
        case WriteStatus::WriteFailed:
            throw Error(desktop_.FromUtf8(texts::kWriteFailed));
    }
    desktop_.ShowMessage(desktop_.FromUtf8(texts::kSaved));
}

void Tfrmmain::btncloseClick() {
    desktop_.CloseMainWindow();
}

}  // namespace tolvex::ui
