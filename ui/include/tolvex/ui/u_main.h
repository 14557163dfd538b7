// tolvex/ui/u_main.h - the main window's logic (Tfrmmain), written once over a toolkit interface.
#pragma once

#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "tolvex/tolvex.h"

namespace tolvex::ui {

// Every text that crosses these interfaces is a byte string in the system's narrow code page:
// the ANSI code page on Windows, the locale's character encoding elsewhere. Front ends convert
// to and from their toolkit's own text type at this boundary.

/// The controls that the window logic reads and writes.
enum class Control {
    lbljushu,  ///< label over the result box: the count of the last filtering
    memcode,   ///< multi-line result box
    edtcode2,  ///< previous-draw entry box
    edtcode1,  ///< last-draw entry box
    edtdj,     ///< hit marker
    edtcopy,   ///< hidden single-line box that carries text to the clipboard
};

/// The window's controls, as a front end provides them.
class Controls {
  public:
    virtual ~Controls() = default;

    /// The control's text. The result box reports its line breaks as "\r\n".
    virtual std::string Text(Control control) const = 0;

    /// Sets the control's text (a label's caption). Setting the text it already holds is no
    /// change. A real change of edtcode1 runs Tfrmmain::edtcode1Change once, before this
    /// returns. "\r\n" in the result box's new text is a line break.
    virtual void SetText(Control control, std::string_view text) = 0;

    /// Gives the control the keyboard focus; a single-line box then selects all its text.
    virtual void SetFocus(Control control) = 0;

    /// Selects `length` bytes of the control's text from byte offset `start` (offsets in
    /// Text()'s bytes) and scrolls so that the end of the selection is in view. The focus
    /// does not move.
    virtual void SelectBytes(Control control, std::size_t start, std::size_t length) = 0;

    /// Selects all of a single-line box's text and copies it to the clipboard as plain text.
    /// A clipboard the platform cannot open is left as it was, silently.
    virtual void CopyAll(Control control) = 0;
};

/// How the save command sets up the Save dialog each time.
struct SaveDialogSettings {
    std::string filter;            ///< "description|pattern", e.g. "文本文件(*.txt)|*.txt"
    std::string defaultExtension;  ///< with its leading full stop: ".txt"
    std::string initialFolder;     ///< may be empty: the dialog decides
    std::string fileName;          ///< the name offered, empty
};

/// The file the user chose in the Save dialog, in the two forms it is needed in.
struct SaveTarget {
    std::string name;     ///< the full file name in the system code page, for messages
    std::u16string path;  ///< the same name exactly as the platform's dialog gave it
};

/// What writing a file came to.
enum class WriteStatus {
    Ok,            ///< every byte is in the file
    CannotCreate,  ///< the file could not be created (or replaced); nothing was changed
    WriteFailed,   ///< writing fell short; an earlier file of that name is left as it was
};

/// What reading a shell folder from the platform came to.
struct ShellFolderRead {
    enum class Status {
        Ok,           ///< `path` holds the folder, or is empty when it is not recorded
        InvalidType,  ///< the value exists but is not a string
        ReadFailed,   ///< the value's data could not be read
    };
    Status status;
    std::string path;
};

/// The desktop services the window logic calls, as a front end provides them.
class Desktop {
  public:
    virtual ~Desktop() = default;

    /// Converts a UTF-8 text of the logic's own (messages, captions) to the system code page.
    virtual std::string FromUtf8(std::string_view utf8) const = 0;

    /// The modal message box: application title, no icon, one button "确定".
    virtual void ShowMessage(std::string_view text) = 0;

    /// The modal error box: application title, error icon, one OK button. Releases any mouse
    /// capture first. `text` is final (the full-stop rule is already applied).
    virtual void ShowError(std::string_view text) = 0;

    /// Runs the modal Save dialog; the chosen file, or no value on cancel.
    virtual std::optional<SaveTarget> AskSaveFile(const SaveDialogSettings& settings) = 0;

    /// Writes `bytes` as the whole content of the file `target`, creating it or replacing an
    /// existing one only once every byte is written.
    virtual WriteStatus WriteWholeFile(const SaveTarget& target, std::string_view bytes) = 0;

    /// Reads the current user's shell folder with the value name `name` (e.g. "Desktop").
    virtual ShellFolderRead ReadShellFolder(std::string_view name) = 0;

    /// Shows or hides the wait cursor over the program's windows.
    virtual void SetWaitCursor(bool on) = 0;

    /// Closes the main window, which ends the program.
    virtual void CloseMainWindow() = 0;
};

/// An error that a handler does not deal with; its message is in the system code page. It
/// ends the handler and is shown in the error box by Tfrmmain::Run.
class Error : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

/// The text the error box shows for `message`: a full stop is appended when the message is
/// not empty and its last byte is above the byte of '.'.
std::string ErrorBoxText(std::string_view message);

/// The main window's logic: one handler per control event.
class Tfrmmain {
  public:
    Tfrmmain(Controls& controls, Desktop& desktop);

    /// Runs one handler as the front end's event loop does: an exception that escapes it ends
    /// the handler there and is shown in the error box; the program then goes on.
    void Run(void (Tfrmmain::*handler)());

    void FormCreate();
    void btnfiltClick();
    void edtcode1Change();
    void edtcode1Click();
    void edtcode2Click();
    void btncopyClick();
    void btnsaveClick();
    void btncloseClick();

  private:
    /// The draw in `box`; when it holds none, `missing` is shown and the box emptied and
    /// focused for it.
    std::optional<DrawDigits> DrawIn(Control box, std::string_view missing);

    /// The path of the current user's shell folder `name`; empty when not recorded. Throws
    /// Error when the recorded value has the wrong type or cannot be read.
    std::string GetShellFolder(std::string_view name);

    /// Shows `message` in the error box by the full-stop rule.
    void ShowError(std::string_view message);

    Controls& controls_;
    Desktop& desktop_;
};

}  // namespace tolvex::ui
