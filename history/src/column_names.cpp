// column_names.cpp - the header names that mark the draw's column and the other columns.
#include "tolvex/history/layout.h"

#include <algorithm>
#include <span>
#include <utility>

#include "text_scan.h"

namespace tolvex::history {

using namespace detail;

std::string detail::NormalName(std::string_view name) {
    std::string out;
    for (std::size_t i = 0; i < name.size();) {
        const char c = name[i];
        if (c == ' ' || c == '_' || c == '-' || c == '.' || c == '#' || c == ':' || c == '\t' ||
            c == '"' || c == '*') {
            ++i;
        } else if (StartsWith(name.substr(i), kFullwidthColon) ||
                   StartsWith(name.substr(i), kIdeographicSpace)) {
            i += 3;  // full-width colon, ideographic space
        } else {
            out += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
            ++i;
        }
    }
    return out;
}

namespace {

bool InList(std::string_view name, std::span<const std::string_view> list) {
    const std::string n = NormalName(name);
    return !n.empty() && std::find(list.begin(), list.end(), n) != list.end();
}

}  // namespace

bool IsDrawName(std::string_view name) {
    static constexpr std::string_view kNames[] = {
        "\xE5\xBC\x80\xE5\xA5\x96\xE5\x8F\xB7\xE7\xA0\x81",  // 开奖号码
        "\xE5\xBC\x80\xE5\xA5\x96\xE5\x8F\xB7",              // 开奖号
        "\xE5\xBC\x80\xE5\xA5\x96\xE7\xBB\x93\xE6\x9E\x9C",  // 开奖结果
        "\xE4\xB8\xAD\xE5\xA5\x96\xE5\x8F\xB7\xE7\xA0\x81",  // 中奖号码
        "\xE5\x8F\xB7\xE7\xA0\x81",                          // 号码
        "\xE5\xA5\x96\xE5\x8F\xB7",                          // 奖号
        "\xE6\xAD\xA3\xE9\x80\x89\xE5\x8F\xB7",              // 正选号
        "winningnumbers",
        "winningnumber",
        "numbers",
        "number",
        "result",
        "results",
        "draw",
        "drawresult",
        "drawresults",
        "winningcombination",
    };
    return InList(name, kNames);
}

bool IsOtherName(std::string_view name) {
    static constexpr std::string_view kNames[] = {
        "\xE8\xAF\x95\xE6\x9C\xBA\xE5\x8F\xB7",              // 试机号
        "\xE8\xAF\x95\xE6\x9C\xBA\xE5\x8F\xB7\xE7\xA0\x81",  // 试机号码
        "\xE8\xAF\x95\xE6\x9C\xBA",                          // 试机
        "\xE5\xBC\x80\xE6\x9C\xBA\xE5\x8F\xB7",              // 开机号
        "\xE6\x9C\xBA\xE5\x8F\xB7",                          // 机号
        "\xE7\x90\x83\xE5\x8F\xB7",                          // 球号
        "\xE6\x9C\xBA\xE7\x90\x83",                          // 机球
        "\xE5\x92\x8C\xE5\x80\xBC",                          // 和值
        "\xE8\xB7\xA8\xE5\xBA\xA6",                          // 跨度
        "\xE5\xA5\x96\xE9\x87\x91",                          // 奖金
        "\xE9\x94\x80\xE5\x94\xAE\xE9\xA2\x9D",              // 销售额
        "\xE6\xB3\xA8\xE6\x95\xB0",                          // 注数
        "\xE6\x9C\x9F\xE5\x8F\xB7",                          // 期号
        "\xE6\x97\xA5\xE6\x9C\x9F",                          // 日期
        "\xE5\xBC\x80\xE5\xA5\x96\xE6\x97\xA5\xE6\x9C\x9F",  // 开奖日期
        "\xE5\xBD\xA2\xE6\x80\x81",                          // 形态
        "bonus",
        "bonusball",
        "sum",
        "span",
        "machine",
        "ballset",
        "date",
        "drawdate",
        "time",
        "drawtime",
        "issue",
        "period",
        "drawno",
        "prize",
        "payout",
        "sales",
    };
    return InList(name, kNames);
}

int DigitPlace(std::string_view name) {
    const std::string n = NormalName(name);
    static constexpr std::pair<std::string_view, int> kPlaces[] = {
        {"\xE7\x99\xBE\xE4\xBD\x8D", 1},              // 百位
        {"\xE5\x8D\x81\xE4\xBD\x8D", 2},              // 十位
        {"\xE4\xB8\xAA\xE4\xBD\x8D", 3},              // 个位
        {"\xE5\x8D\x83\xE4\xBD\x8D", 4},              // 千位
        {"\xE4\xB8\x87\xE4\xBD\x8D", 4},              // 万位
        {"\xE7\xAC\xAC\xE4\xB8\x80\xE4\xBD\x8D", 1},  // 第一位
        {"\xE7\xAC\xAC\xE4\xBA\x8C\xE4\xBD\x8D", 2},  // 第二位
        {"\xE7\xAC\xAC\xE4\xB8\x89\xE4\xBD\x8D", 3},  // 第三位
        {"\xE7\xAC\xAC\xE5\x9B\x9B\xE4\xBD\x8D", 4},  // 第四位
    };
    for (const auto& [place_name, place] : kPlaces) {
        if (n == place_name) {
            return place;
        }
    }
    // Num1, Number 2, Ball 3, Digit 1, Pos 4
    for (const std::string_view prefix : {"number", "num", "ball", "digit", "position", "pos"}) {
        if (n.size() == prefix.size() + 1 && StartsWith(n, prefix) && n.back() >= '1' &&
            n.back() <= '9') {
            return n.back() <= '3' ? n.back() - '0' : 4;
        }
    }
    return 0;
}

}  // namespace tolvex::history
