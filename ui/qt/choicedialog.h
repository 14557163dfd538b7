// choicedialog.h - the small dialog that asks the player to choose one answer from a list.
#pragma once

#include <QDialog>
#include <QStringList>
#include <memory>
#include <optional>

namespace Ui {
class ChoiceDialog;
}

namespace tolvex::qt {

/// A question over a list of answers with 确定 and 取消; the first answer is selected. Arrow
/// keys choose, Enter (or a double click) takes the answer, Esc cancels.
class ChoiceDialog : public QDialog {
    Q_OBJECT

  public:
    ChoiceDialog(const QString& question, const QStringList& answers, QWidget* parent = nullptr);
    ~ChoiceDialog() override;

    /// The chosen answer's index; no value before the dialog is accepted.
    std::optional<int> Chosen() const;

    /// Runs the dialog; the chosen answer's index, or no value when it was cancelled.
    static std::optional<int> Ask(const QString& question, const QStringList& answers);

  private Q_SLOTS:
    void takeCurrentAnswer();

  private:
    std::unique_ptr<Ui::ChoiceDialog> ui_;
    std::optional<int> chosen_;
};

}  // namespace tolvex::qt
