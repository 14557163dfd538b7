// tolvex/ui/texts.h - the program's own texts in UTF-8: title, messages, marks, dialog filter,
// the backtest's dialogs.
#pragma once

#include <array>
#include <string_view>
#include <vector>

#include "tolvex/marks.h"
#include "tolvex/ui/layout.h"

namespace tolvex::ui::texts {

/// The application title: the caption of the window and of every box.
inline constexpr std::string_view kAppTitle = "Tolvex";
/// The message box's one button.
inline constexpr std::string_view kOkButton = "确定";

inline constexpr std::string_view kMissingLast = "请输入3位数上期开奖号码";
inline constexpr std::string_view kMissingPrevious = "请输入3位数前期开奖号码";
/// The count label after a filtering: prefix, count, suffix ("缩水结果：722注").
inline constexpr std::string_view kCountPrefix = "缩水结果：";
inline constexpr std::string_view kCountSuffix = "注";
/// The hit marker's verdicts.
inline constexpr std::string_view kHit = marks::kHit;
inline constexpr std::string_view kMiss = marks::kMiss;
inline constexpr std::string_view kSaved = "成功保存！";
/// The Save dialog's one file type: "description|pattern".
inline constexpr std::string_view kSaveFilter = "文本文件(*.txt)|*.txt";
/// Error texts; "%s" stands for the file or value name.
inline constexpr std::string_view kCannotCreate = "不能创建文件 %s";
inline constexpr std::string_view kWriteFailed = "写流出错";
inline constexpr std::string_view kInvalidType = "'%s' 的数据类型是无效的";
inline constexpr std::string_view kReadFailed = "从 '%s' 获得数据失败";

/// Every text the program shows of its own: the ones above and the controls' captions. An
/// encoding that cannot hold all of them would show some as question marks.
inline std::vector<std::string_view> OwnTexts() {
    std::vector<std::string_view> all{kAppTitle,    kOkButton,    kMissingLast,  kMissingPrevious,
                                      kCountPrefix, kCountSuffix, kHit,          kMiss,
                                      kSaved,       kSaveFilter,  kCannotCreate, kWriteFailed,
                                      kInvalidType, kReadFailed};
    for (const ControlPlace& place : kControlPlaces) {
        all.push_back(place.caption);
    }
    return all;
}

}  // namespace tolvex::ui::texts

namespace tolvex::ui {

/// The words of the backtest's dialogs, the same in every front end. They reach
/// the screen as UTF-16, so they play no part in the window's choice of encoding.
namespace backtest_texts {
inline constexpr std::string_view kOpenTitle = "选择开奖历史文件";
inline constexpr std::string_view kHistoryFiles = "开奖历史";  ///< *.txt and *.csv
inline constexpr std::string_view kTextFiles = "文本文件";
inline constexpr std::string_view kCsvFiles = "CSV 文件";
inline constexpr std::string_view kAllFiles = "所有文件";
inline constexpr std::string_view kColumnQuestion = "有几列都可能是开奖号码。哪一列是开奖号码？";
inline constexpr std::string_view kOrderQuestion = "文件中看不出开奖的先后。各行的顺序是：";
inline constexpr std::string_view kOldestFirst = "从旧到新（第一行是最早的一期）";
inline constexpr std::string_view kNewestFirst = "从新到旧（第一行是最新的一期）";
inline constexpr std::string_view kCancelButton = "取消";
inline constexpr std::string_view kOneFileOnly = "一次只能回测一个开奖历史文件。";
}  // namespace backtest_texts

}  // namespace tolvex::ui
