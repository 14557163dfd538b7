// report.cpp - the text, CSV and JSON backtest reports.
#include "tolvex/backtest/report.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tolvex/backtest/band.h"
#include "tolvex/history/decode.h"
#include "tolvex/history/words.h"
#include "tolvex/marks.h"

namespace tolvex::backtest {

using namespace tolvex::history;
namespace {

std::string_view Mark(bool hit) {
    return hit ? marks::kHit : marks::kMiss;
}

// true or false; no value when the history is too short for the band.
std::optional<std::string> LeftBandValue(const Summary& s) {
    const auto left = LeftBand(s);
    return left ? std::optional<std::string>(*left ? "true" : "false") : std::nullopt;
}

// One figure of the CSV and JSON summaries: no value where nothing was tested (an empty CSV
// field, a JSON null); the misses and the band's constant are the JSON summary's only.
struct SummaryField {
    std::string_view name;
    std::optional<std::string> value;
    bool csv = true;
};

std::vector<SummaryField> SummaryFields(const Summary& s) {
    const auto fixed = [](std::optional<double> value, int digits) {
        return value ? std::optional<std::string>(Fixed(*value, digits)) : std::nullopt;
    };
    return {
        {"draws", std::to_string(s.draws)},
        {"tested", std::to_string(s.tested)},
        {"hits", std::to_string(s.hits)},
        {"misses", std::to_string(s.misses()), false},
        {"hit_rate", fixed(s.HitRate(), 6)},
        {"expected_hits", Thousandths(static_cast<std::int64_t>(s.kept_sum))},
        {"chance_rate", fixed(s.ChanceRate(), 6)},
        {"excess_hits", Thousandths(s.ExcessThousandths())},
        {"z_score", fixed(s.ZScore(), 3)},
        {"longest_hit_run", std::to_string(s.longest_hit_run)},
        {"longest_miss_run", std::to_string(s.longest_miss_run)},
        {"band_level", Fixed(kBandLevel, 2)},
        {"band_constant", fixed(BandConstant(s.tested), 2), false},
        {"left_band", LeftBandValue(s)},
    };
}

bool IsPlainAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) {
        const auto b = static_cast<unsigned char>(c);
        return b >= 0x20 && b < 0x7F;
    });
}

void AppendTextLabel(std::string& out, std::string_view label, std::size_t width) {
    if (label.size() <= kLabelColumns && IsPlainAscii(label)) {
        out += label;
        out.append(width - std::min(width, label.size()), ' ');
        return;
    }
    const std::string shown = TextLabel(label);
    out += shown;
    out.append(width - std::min(width, DisplayWidth(shown)), ' ');
}

void AppendPadded(std::string& out, std::string_view text, std::size_t width) {
    if (text.size() < width) {
        out.append(width - text.size(), ' ');
    }
    out += text;
}

}  // namespace

void AppendThree(std::string& out, int number) {
    out += static_cast<char>('0' + number / 100);
    out += static_cast<char>('0' + number / 10 % 10);
    out += static_cast<char>('0' + number % 10);
}

void AppendUint(std::string& out, std::uint64_t value) {
    char digits[24];
    const auto r = std::to_chars(digits, digits + sizeof digits, value);
    out.append(digits, r.ptr);
}

std::optional<Format> ParseFormat(std::string_view name) {
    if (name == "text") {
        return Format::Text;
    }
    if (name == "csv") {
        return Format::Csv;
    }
    if (name == "json") {
        return Format::Json;
    }
    if (name == "html") {
        return Format::Html;
    }
    return std::nullopt;
}

std::string Fixed(double value, int digits) {
    char buffer[64];
    const auto r =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, digits);
    std::string s(buffer, r.ptr);
    if (s.size() > 1 && s[0] == '-' && s.find_first_not_of("-0.") == std::string::npos) {
        s.erase(0, 1);  // no "-0.00"
    }
    return s;
}

std::string Thousandths(std::int64_t value) {
    std::string s = value < 0 ? "-" : "";
    const std::uint64_t magnitude = value < 0 ? static_cast<std::uint64_t>(-(value + 1)) + 1
                                              : static_cast<std::uint64_t>(value);
    AppendUint(s, magnitude / 1000);
    const auto frac = static_cast<int>(magnitude % 1000);
    s += '.';
    AppendThree(s, frac);
    return s;
}

std::string Percent(std::optional<double> rate) {
    return rate ? Fixed(*rate * 100.0, 2) + "%" : "n/a";
}

std::optional<std::string_view> ControlReplacement(std::string_view piece) {
    if (piece.empty()) {
        return std::nullopt;
    }
    const auto b = static_cast<unsigned char>(piece[0]);
    const bool c0 = piece.size() == 1 && ((b < 0x20 && b != '\t') || b == 0x7F);
    const bool c1 = piece.size() == 2 && b == 0xC2 && static_cast<unsigned char>(piece[1]) < 0xA0;
    if (c0 || c1) {
        return "\xEF\xBF\xBD";
    }
    return std::nullopt;
}

std::string TextLabel(std::string_view label, std::size_t columns) {
    const bool cut = DisplayWidth(label) > columns;
    const std::size_t room = cut ? columns - 1 : columns;
    std::string out;
    std::size_t width = 0;
    bool full = false;
    ForEachCharacter(label, [&](std::string_view piece) {
        const auto control = ControlReplacement(piece);
        if (control) {
            piece = *control;
        } else if (piece == "\t") {
            piece = " ";
        }
        const std::size_t w = piece.size() == 1 || control ? 1 : DisplayWidth(piece);
        full = full || width + w > room;
        if (!full) {
            out += piece;
            width += w;
        }
    });
    if (cut) {
        out += "\xE2\x80\xA6";  // …
    }
    return out;
}

std::size_t LabelWidth(std::string_view label) {
    // Most labels are short ASCII: no need to look at characters.
    if (label.size() <= kLabelColumns && std::all_of(label.begin(), label.end(), [](char c) {
            return static_cast<unsigned char>(c) < 0x80;
        })) {
        return label.size();
    }
    return std::min(DisplayWidth(label), kLabelColumns);
}

std::string JsonString(std::string_view text) {
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const char c = text[i];
        const std::size_t n = Utf8Length(text, i);
        if (n == 0) {
            out += "\\ufffd";
            ++i;
            continue;
        }
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\t') {
            out += "\\t";
        } else if (ControlReplacement(text.substr(i, n))) {
            out += "\\ufffd";
        } else {
            out.append(text.substr(i, n));
        }
        i += n;
    }
    out += '"';
    return out;
}

std::string CsvLabel(std::string_view text) {
    const bool plain = std::none_of(text.begin(), text.end(), [](char c) {
        const auto b = static_cast<unsigned char>(c);
        return (b < 0x20 && b != '\t') || b == 0x7F || b == 0xC2;  // 0xC2 leads U+0080 to U+00BF
    });
    std::string shown;
    if (plain) {
        shown = text;
    }
    for (std::size_t i = 0; !plain && i < text.size();) {
        const std::size_t n = std::max<std::size_t>(Utf8Length(text, i), 1);
        const std::string_view piece = text.substr(i, n);
        const auto control = ControlReplacement(piece);
        shown += control ? *control : piece;
        i += n;
    }
    // A spreadsheet runs a cell that starts with one of these as a formula.
    if (!shown.empty() &&
        (shown[0] == '=' || shown[0] == '+' || shown[0] == '-' || shown[0] == '@')) {
        shown.insert(0, 1, '\'');
    }
    return CsvField(shown);
}

std::string CsvField(std::string_view text) {
    if (text.find_first_of(",\"\t\r\n") == std::string_view::npos) {
        return std::string(text);
    }
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"') {
            out += '"';
        }
        out += c;
    }
    out += '"';
    return out;
}

std::string BandText(const Summary& s) {
    const BandResult band = CheckBand(s);
    if (band == BandResult::TooShort) {
        return "none: fewer than " + std::to_string(kBandStart) +
               " tested draws, too short for the 95% band over the whole history";
    }
    const std::string band_is = "the 95% band over the whole history, ±" +
                                Fixed(*BandConstant(s.tested), 2) + " sd from tested draw " +
                                std::to_string(kBandStart) + " on";
    switch (band) {
        case BandResult::Inside:
            return "stayed inside " + band_is +
                   ": no sign that the rules do better or worse than chance";
        case BandResult::Above:
            return "left " + band_is +
                   ", above: at some point more hits than 95% of chance histories would give";
        case BandResult::Below:
            return "left " + band_is +
                   ", below: at some point fewer hits than 95% of chance histories would give";
        default:
            return "left " + band_is +
                   ", above and below: at some point more hits, at another fewer, than 95% of "
                   "chance histories would give";
    }
}

std::string SummaryText(const Summary& s) {
    std::string out = "draws read     ";
    AppendUint(out, s.draws);
    out += ", tested ";
    AppendUint(out, s.tested);
    out += s.tested == 0 ? " (a backtest needs at least three draws)\n"
                         : " (each draw from the third on)\n";
    out += "hit rate       " + Percent(s.HitRate());
    if (s.tested > 0) {
        out += " (" + Plural(s.hits, "hit", "hits") + ")";
    }
    out += "\nchance rate    " + Percent(s.ChanceRate());
    if (s.tested > 0) {
        out += " (" + Thousandths(static_cast<std::int64_t>(s.kept_sum)) +
               " hits expected: the kept count / 1000 of each tested draw)";
    }
    out += '\n';
    if (s.tested > 0) {
        const auto z = s.ZScore();
        out += "difference     " + Thousandths(s.ExcessThousandths()) +
               " hits, z = " + (z ? Fixed(*z, 2) : "n/a") + "\n";
        out += "chance band    " + BandText(s) + "\n";
        out += "longest runs   " + Plural(s.longest_hit_run, "hit", "hits") + ", " +
               Plural(s.longest_miss_run, "miss", "misses") + "\n";
    }
    return out;
}

ReportWriter::ReportWriter(Format format, bool rows, std::size_t label_width, std::string& out)
    : format_(format), rows_(rows), label_width_(label_width), out_(out) {}

void ReportWriter::Begin() {
    if (!rows_) {
        return;
    }
    switch (format_) {
        case Format::Text:
            out_ += "   line  ";
            if (label_width_ > 0) {
                out_ += "label";
                out_.append(label_width_ > 5 ? label_width_ - 5 : 0, ' ');
                out_ += "  ";
            }
            out_ += "prev  last  draw  kept  hit\n";
            break;
        case Format::Csv:
            out_ += "line,label,previous,last,draw,kept,hit\n";
            break;
        case Format::Json:
            out_ += "{\"rows\":[";
            break;
        case Format::Html:  // the page is HtmlReport's
            break;
    }
}

namespace {

// A row's previous, last and drawn numbers, kept count and mark, and the line's end.
void AppendVerdict(std::string& out, const TestedDraw& t, std::string_view separator) {
    for (const int number : {t.previous, t.last, t.draw}) {
        AppendThree(out, number);
        out += separator;
    }
    AppendUint(out, static_cast<std::uint64_t>(t.kept));
    out += separator;
    out += Mark(t.hit);
    out += '\n';
}

}  // namespace

void ReportWriter::Add(const Row& row) {
    if (!rows_) {
        return;
    }
    const TestedDraw& t = row.test;
    switch (format_) {
        case Format::Text: {
            char line[24];
            const auto r = std::to_chars(line, line + sizeof line, row.line);
            AppendPadded(out_, std::string_view(line, static_cast<std::size_t>(r.ptr - line)), 7);
            out_ += "  ";
            if (label_width_ > 0) {
                AppendTextLabel(out_, row.label, label_width_ > 5 ? label_width_ : 5);
                out_ += "  ";
            }
            AppendVerdict(out_, t, "   ");
            break;
        }
        case Format::Csv:
            AppendUint(out_, row.line);
            out_ += ',';
            out_ += CsvLabel(row.label);
            out_ += ',';
            AppendVerdict(out_, t, ",");
            break;
        case Format::Json:
            out_ += first_ ? "\n" : ",\n";
            out_ += "{\"line\":";
            AppendUint(out_, row.line);
            out_ += ",\"label\":" + JsonString(row.label);
            for (const auto& [name, number] : {std::pair<const char*, int>{"previous", t.previous},
                                               {"last", t.last},
                                               {"draw", t.draw}}) {
                out_ += std::string(",\"") + name + "\":\"";
                AppendThree(out_, number);
                out_ += '"';
            }
            out_ += ",\"kept\":";
            AppendUint(out_, static_cast<std::uint64_t>(t.kept));
            out_ += t.hit ? ",\"hit\":true}" : ",\"hit\":false}";
            break;
        case Format::Html:
            break;
    }
    first_ = false;
}

void ReportWriter::End(const Summary& s) {
    switch (format_) {
        case Format::Text:
            if (rows_) {
                out_ += '\n';
            }
            out_ += SummaryText(s);
            break;
        case Format::Csv:
            // With rows, the summary goes to standard error so that the CSV stays one table.
            if (!rows_) {
                std::string names, values;
                for (const SummaryField& f : SummaryFields(s)) {
                    if (f.csv) {
                        const char* separator = names.empty() ? "" : ",";
                        names += separator + std::string(f.name);
                        values += separator + f.value.value_or("");
                    }
                }
                out_ += names + '\n' + values + '\n';
            }
            break;
        case Format::Json: {
            out_ += rows_ ? (first_ ? "],\n" : "\n],\n") : "{";
            char separator = '{';
            out_ += "\"summary\":";
            for (const SummaryField& f : SummaryFields(s)) {
                out_ += separator;
                out_ += '"' + std::string(f.name) + "\":" + f.value.value_or("null");
                separator = ',';
            }
            out_ += "}}\n";
            break;
        }
        case Format::Html:
            break;
    }
}

}  // namespace tolvex::backtest
