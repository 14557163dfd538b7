// choicedialog.cpp - the choice dialog: question, list of answers, 确定 and 取消.
#include "choicedialog.h"

#include <QDialogButtonBox>
#include <QListWidget>
#include <QPushButton>
#include <algorithm>

#include "qtdesktop.h"
#include "tolvex/ui/backtest_flow.h"
#include "tolvex/ui/texts.h"
#include "ui_choicedialog.h"

namespace tolvex::qt {

ChoiceDialog::ChoiceDialog(const QString& question, const QStringList& answers, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::ChoiceDialog>()) {
    ui_->setupUi(this);
    setWindowTitle(AppTitle());
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    ui_->lblprompt->setText(question);
    ui_->lstchoices->addItems(answers);
    ui_->lstchoices->setCurrentRow(0);
    ui_->lstchoices->setFocus();
    ui_->buttons->button(QDialogButtonBox::Ok)->setText(OwnText(ui::texts::kOkButton));
    ui_->buttons->button(QDialogButtonBox::Cancel)
        ->setText(OwnText(ui::backtest_texts::kCancelButton));
    // Every answer in view without scrolling (up to twelve), and no empty rows below them.
    QListWidget* list = ui_->lstchoices;
    const int rows = static_cast<int>(std::clamp<qsizetype>(answers.size(), 2, 12));
    list->setFixedHeight(list->sizeHintForRow(0) * rows + 2 * list->frameWidth() + 2);
    list->setMinimumWidth(list->sizeHintForColumn(0) + 2 * list->frameWidth() + 24);

    connect(ui_->buttons, &QDialogButtonBox::accepted, this, &ChoiceDialog::takeCurrentAnswer);
    connect(ui_->buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(ui_->lstchoices, &QListWidget::itemActivated, this, &ChoiceDialog::takeCurrentAnswer);
}

ChoiceDialog::~ChoiceDialog() = default;

std::optional<int> ChoiceDialog::Chosen() const {
    return chosen_;
}

void ChoiceDialog::takeCurrentAnswer() {
    const int row = ui_->lstchoices->currentRow();
    if (row < 0) {
        return;
    }
    chosen_ = row;
    accept();
}

std::optional<int> ChoiceDialog::Ask(const QString& question, const QStringList& answers) {
    ChoiceDialog dialog(question, answers);
    dialog.adjustSize();
    CentreOnScreen(&dialog);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.Chosen();
}

}  // namespace tolvex::qt
