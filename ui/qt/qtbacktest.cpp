// qtbacktest.cpp - the backtest's desktop services in Qt, and the command line that starts it.
#include "qtbacktest.h"

#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QUrl>
#include <string>
#include <vector>

#include "choicedialog.h"
#include "qtdesktop.h"
#include "tolvex/ui/texts.h"
#include "tolvex/version.h"

namespace tolvex::qt {

namespace texts = ui::backtest_texts;

CommandLine ParseCommandLine(const QStringList& arguments) {
    std::vector<std::u16string> words;
    for (const QString& argument : arguments) {
        words.push_back(argument.toStdU16String());
    }
    const ui::Launch launch = ui::ParseLaunch(words);
    CommandLine line{launch.mode, std::nullopt};
    if (launch.file) {
        line.file = arguments.at(static_cast<qsizetype>(*launch.file));
    }
    return line;
}

QString UsageText() {
    return QStringLiteral(
        "Usage: tolvex                    the window\n"
        "       tolvex [--backtest] FILE  backtest the draw history FILE: the page opens in the "
        "browser\n"
        "       tolvex --backtest         the same, choosing the file in the Open dialog\n");
}

std::filesystem::path ToPath(const QString& name) {
#ifdef _WIN32
    return std::filesystem::path(name.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(name).toStdString());
#endif
}

namespace {

QString FromPath(const std::filesystem::path& path) {
#ifdef _WIN32
    return QString::fromStdWString(path.wstring());
#else
    return QFile::decodeName(QByteArray::fromStdString(path.string()));
#endif
}

}  // namespace

std::optional<std::filesystem::path> QtBacktestDesktop::ChooseHistoryFile() {
    const QString filters = OwnText(texts::kHistoryFiles) + QStringLiteral(" (*.txt *.csv);;") +
                            OwnText(texts::kTextFiles) + QStringLiteral(" (*.txt);;") +
                            OwnText(texts::kCsvFiles) + QStringLiteral(" (*.csv);;") +
                            OwnText(texts::kAllFiles) + QStringLiteral(" (*)");
    // Qt's own dialog, as the Save dialog of the window.
    QFileDialog dialog(nullptr, OwnText(texts::kOpenTitle), QDir::homePath(), filters);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setSizeGripEnabled(true);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return ToPath(dialog.selectedFiles().constFirst());
}

std::optional<std::size_t> QtBacktestDesktop::ChooseColumn(
    const std::vector<ui::ColumnChoice>& columns) {
    QStringList answers;
    for (const auto& column : columns) {
        answers << OwnText(column.text);
    }
    const auto chosen = ChoiceDialog::Ask(OwnText(texts::kColumnQuestion), answers);
    if (!chosen) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(*chosen);
}

std::optional<history::Order> QtBacktestDesktop::ChooseOrder() {
    const auto chosen =
        ChoiceDialog::Ask(OwnText(texts::kOrderQuestion),
                          {OwnText(texts::kOldestFirst), OwnText(texts::kNewestFirst)});
    if (!chosen) {
        return std::nullopt;
    }
    return *chosen == 0 ? history::Order::OldestFirst : history::Order::NewestFirst;
}

void QtBacktestDesktop::ShowError(std::string_view text) {
    ShowErrorBox(nullptr, OwnText(text));
}

void QtBacktestDesktop::ShowInfo(std::string_view text) {
    ShowMessageBox(nullptr, OwnText(text));
}

bool QtBacktestDesktop::OpenPage(const std::filesystem::path& page) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(FromPath(page)));
}

std::filesystem::path QtBacktestDesktop::TemporaryFolder() {
    return ToPath(QDir::tempPath());
}

int RunBacktest(const std::optional<QString>& file) {
    QtBacktestDesktop desktop;
    ui::LocalFiles files;
    ui::BacktestFlow flow(desktop, files,
                          {QDateTime::currentSecsSinceEpoch(), TOLVEX_VERSION_STRING});
    const auto result =
        flow.Run(file ? std::optional<std::filesystem::path>(ToPath(*file)) : std::nullopt);
    return result == ui::FlowResult::Failed ? 1 : 0;
}

}  // namespace tolvex::qt
