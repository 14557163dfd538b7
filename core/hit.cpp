// hit.cpp - the hit check of a typed draw against a result text.
#include "tolvex/tolvex.h"

namespace tolvex {
namespace {

constexpr bool IsBlankOrControl(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

bool IsBlank(std::string_view text) {
    for (const char c : text) {
        if (!IsBlankOrControl(c)) {
            return false;
        }
    }
    return true;
}

}  // namespace

HitResult CheckHit(std::string_view resultText, std::string_view entryText) {
    // Stripping both ends leaves nothing exactly when every byte is blank or control.
    if (IsBlank(resultText)) {
        return {HitKind::Clear, 0};
    }
    if (entryText.size() != 3) {
        return {HitKind::None, 0};
    }
    const std::size_t at = resultText.find(entryText);
    if (at == std::string_view::npos) {
        return {HitKind::Miss, 0};
    }
    return {HitKind::Hit, at};
}

}  // namespace tolvex
