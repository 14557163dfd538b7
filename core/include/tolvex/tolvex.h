// tolvex/tolvex.h - the reduction core: number table, draw parsing, reduction filter, kept-number
// check and hit check.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tolvex {

/// The three digits of one draw as typed left to right: hundreds, tens, units, each 0 to 9.
struct DrawDigits {
    std::int32_t hundreds, tens, units;
};

/// One of the 1000 numbers 000 to 999 with its digits split out. `mark` is always 0 and is
/// read or changed by no operation.
struct NumberRecord {
    std::int32_t hundreds, tens, units, mark;
};

/// All 1000 numbers in ascending order: entry i holds the digits of the number i.
using NumberTable = std::array<NumberRecord, 1000>;

/// The kept numbers of a reduction as one line of three-digit groups, each followed by one
/// blank, in ascending order, and how many there are. `text.size() == 4 * count`.
struct ReductionResult {
    std::string text;
    std::int32_t count;
};

/// Outcome of a hit check.
enum class HitKind {
    Clear,  ///< the result text is empty or blank: the marker is to be emptied
    Hit,    ///< the entry occurs in the result text, first at `HitResult::start`
    Miss,   ///< the entry is three bytes long and does not occur in the result text
    None,   ///< the entry is not three bytes long: no verdict yet
};

/// A hit check's verdict. `start` is the zero-based byte offset of the first match and is
/// meaningful only for HitKind::Hit (it is 0 otherwise).
struct HitResult {
    HitKind kind;
    std::size_t start;
};

/// Fills the process's one NumberTable. The table already holds its values from program
/// start (it is constant-initialised), so this only rewrites the same values; calling it any
/// number of times, or never, is safe.
void BuildNumberTable();

/// Read access to the process's one NumberTable; valid at any time, also before
/// BuildNumberTable has run.
const NumberTable& GetNumberTable();

/// Reads a typed draw. `text` is taken exactly as typed, as bytes of the system code page:
/// it is valid only when it is exactly three bytes, each an ASCII digit '0' to '9'. Returns
/// the digits, or no value for anything else (signs, blanks, letters, full-width digits, any
/// other length).
std::optional<DrawDigits> ParseDraw(std::string_view text);

/// Reduces the 1000 numbers by the two draws. A number is struck out when its digits are
/// the last draw shifted by one amount in every position (mod 10), or when in any position
/// its digit plus the last draw's plus the previous draw's digit is 0 mod 10. The rest are
/// returned as text ("000 002 003 ...") with their count, always 720 to 722.
///
/// Both draws must hold digits 0 to 9 (as ParseDraw returns them); a digit out of that
/// range throws std::invalid_argument.
ReductionResult ReduceNumbers(const DrawDigits& previous, const DrawDigits& last);

/// The two reduction rules fixed for one pair of draws, given as numbers 0..999: how many
/// numbers ReduceNumbers keeps and whether it keeps a given one, in a few integer operations
/// instead of a reduction and a text search. Agrees with ReduceNumbers followed by CheckHit.
class KeptNumbers {
  public:
    /// Throws std::invalid_argument when a draw is outside 0..999.
    KeptNumbers(std::int32_t previous, std::int32_t last);

    /// How many numbers the reduction keeps: 719 + d, where d (1 to 3) is the number of
    /// distinct shifts of the last draw that the zero-sum rule strikes; so 720, 721 or 722.
    std::int32_t count() const { return count_; }

    /// Whether the reduction keeps `number` (0..999).
    bool Keeps(std::int32_t number) const;

  private:
    std::int32_t last_[3];
    std::int32_t zero_[3];  // per position, the one digit whose sum with both draws is 0 mod 10
    std::int32_t count_;
};

/// Checks a typed draw against a result text, both bytes of the system code page.
/// - Clear when `resultText` holds nothing but bytes at or below the blank;
/// - otherwise None when `entryText` is not exactly three bytes long;
/// - otherwise Hit with the byte offset of the first occurrence of `entryText` in the
///   unstripped `resultText`, or Miss when it does not occur.
HitResult CheckHit(std::string_view resultText, std::string_view entryText);

}  // namespace tolvex
