// tolvex/marks.h - the hit check's two verdict marks as the window and tolvex-cli show them, UTF-8.
#pragma once

#include <string_view>

namespace tolvex::marks {

/// The draw is among the kept numbers.
inline constexpr std::string_view kHit = "中";
/// It is not.
inline constexpr std::string_view kMiss = "X";

}  // namespace tolvex::marks
