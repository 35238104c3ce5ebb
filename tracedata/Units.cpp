#include "Units.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <ctime>

#include "Text.h"

namespace fl {

namespace {

struct UnitRow {
    std::string_view keyword;
    std::string_view text;   // Windows-1252: \xB5 is the micro sign, \xB2 the superscript two
    std::string_view scale;  // empty: no scale text
};

constexpr std::array<UnitRow, 24> kUnits = {{
    {"DBM", "dBm", "dB"},
    {"DBUV", "dB\xB5V", "dB"},
    {"DBMV", "dBmV", "dB"},
    {"DBV", "dBV", "dB"},
    {"V", "V", "V"},
    {"MV", "mV", "mV"},
    {"UV", "\xB5V", "\xB5V"},
    {"W", "W", "W"},
    {"MW", "mW", "mW"},
    {"UW", "\xB5W", "\xB5W"},
    {"DB", "dB", "dB"},
    {"MRHO", "mRho", "mRho"},
    {"VSWR", "VSWR", ""},
    {"%", "%", "%"},
    {"DBUVm", "dB\xB5V/m", "dB"},
    {"DBMVm", "dBmV/m", "dB"},
    {"DBMM2", "dBm/m\xB2", "dB"},
    {"DBVM", "dBV/m", "dB"},
    {"VM", "V/m", "V/m"},
    {"MVM", "mV/m", "mV/m"},
    {"UVM", "\xB5V/m", "\xB5V/m"},
    {"WM2", "W/m\xB2", "W/m\xB2"},
    {"MWM2", "mW/m\xB2", "mW/m\xB2"},
    {"UWM2", "\xB5W/m\xB2", "\xB5W/m\xB2"},
}};

const UnitRow* Find(std::string_view keyword) {
    for (const auto& u : kUnits)
        if (u.keyword == keyword) return &u;
    return nullptr;
}

bool IsOneOf(std::string_view u, std::initializer_list<std::string_view> list) {
    for (auto s : list)
        if (u == s) return true;
    return false;
}

double VoltsFromDbm(double p, double impedance) {
    return std::sqrt(std::pow(10.0, p / 10.0) * 0.001 * impedance);
}

}  // namespace

std::string UnitText(std::string_view keyword) {
    const UnitRow* u = Find(keyword);
    return std::string(u ? u->text : "dBm");
}

std::string UnitKeyword(std::string_view text) {
    for (const auto& u : kUnits)
        if (u.text == text) return std::string(u.keyword);
    return "DBM";
}

std::string ScaleUnitText(std::string_view keyword) {
    const UnitRow* u = Find(keyword);
    return std::string(u ? u->scale : "dB");
}

std::string LengthUnitText(std::string_view keyword) {
    if (keyword == "FEET" || keyword == "FT100") return "ft";
    return "m";
}

bool IsLinearUnit(std::string_view u) {
    return IsOneOf(u, {"V", "MV", "UV", "W", "MW", "UW", "VM", "MVM", "UVM", "WM2", "MWM2", "UWM2"});
}

double LevelFromDbm(double p, std::string_view u, double impedance) {
    if (IsOneOf(u, {"DBUV", "DBUVm"})) return p + 106.9897;
    if (IsOneOf(u, {"DBMV", "DBMVm"})) return p + 46.9897;
    if (IsOneOf(u, {"DBV", "DBVM"})) return p - 13.0103;
    if (IsOneOf(u, {"V", "VM"})) return VoltsFromDbm(p, impedance);
    if (IsOneOf(u, {"MV", "MVM"})) return VoltsFromDbm(p, impedance) * 1000.0;
    if (IsOneOf(u, {"UV", "UVM"})) return VoltsFromDbm(p, impedance) * 1000000.0;
    if (IsOneOf(u, {"W", "WM2"})) return std::pow(10.0, p / 10.0) * 0.001;
    if (IsOneOf(u, {"MW", "MWM2"})) return std::pow(10.0, p / 10.0);
    if (IsOneOf(u, {"UW", "UWM2"})) return std::pow(10.0, p / 10.0) * 1000.0;
    if (u == "MRHO") return std::pow(10.0, p * 0.05) * 1000.0;
    if (u == "%") return std::pow(10.0, p * 0.05) * 100.0;
    if (u == "VSWR") {
        double d = std::pow(10.0, p * 0.05);
        if (std::fabs(d - 1.0) < 1e-20) return 1e37;
        return std::fabs((d + 1.0) / (1.0 - d));
    }
    if (u == "DBMM2")
        return 10.0 * std::log10(std::pow(10.0, p / 10.0) * 0.001 * impedance * 2.6525198938992043);
    return p;
}

std::function<double(double)> LevelFromDbmFor(std::string_view u, double impedance) {
    if (IsOneOf(u, {"DBUV", "DBUVm"})) return [](double p) { return p + 106.9897; };
    if (IsOneOf(u, {"DBMV", "DBMVm"})) return [](double p) { return p + 46.9897; };
    if (IsOneOf(u, {"DBV", "DBVM"})) return [](double p) { return p - 13.0103; };
    if (IsOneOf(u, {"DBM", "DB", ""})) return [](double p) { return p; };
    const std::string unit(u);
    return [unit, impedance](double p) { return LevelFromDbm(p, unit, impedance); };
}

double LevelToDbm(double x, std::string_view u, double impedance) {
    if (IsOneOf(u, {"DBUV", "DBUVm"})) return x - 106.9897;
    if (IsOneOf(u, {"DBMV", "DBMVm"})) return x - 46.9897;
    if (IsOneOf(u, {"DBV", "DBVM"})) return x + 13.0103;
    if (IsOneOf(u, {"V", "VM", "MV", "MVM", "UV", "UVM"})) {
        if (IsOneOf(u, {"MV", "MVM"})) x *= 0.001;
        if (IsOneOf(u, {"UV", "UVM"})) x *= 1e-6;
        return 10.0 * std::log10(x * x / impedance * 1000.0);
    }
    if (IsOneOf(u, {"W", "WM2"})) return 10.0 * std::log10(x * 1000.0);
    if (IsOneOf(u, {"MW", "MWM2"})) return 10.0 * std::log10(x);
    if (IsOneOf(u, {"UW", "UWM2"})) return 10.0 * std::log10(x * 0.001);
    if (u == "MRHO") return 20.0 * std::log10(x * 0.001);
    if (u == "%") return 20.0 * std::log10(x * 0.01);
    if (u == "VSWR") return 20.0 * std::log10((x - 1.0) / (x + 1.0));
    if (u == "DBMM2") return 10.0 * std::log10(std::pow(10.0, x / 10.0) * 0.377 * 1000.0 / impedance);
    return x;
}

std::string FormatLevel(double v, std::string_view u) {
    if (IsLinearUnit(u)) {
        if (v < 0) return {};
        double m = std::fabs(std::trunc(v));
        if (m >= 1000) return Format("%4.0f", v);
        if (m >= 100) return Format("%3.1f", v);
        if (m >= 10) return Format("%2.2f", v);
        return Format("%1.3f", v);
    }
    if (u == "MRHO") return v < 0 ? std::string() : Format("%.0f", v);
    if (u == "VSWR") {
        if (v < 1) return {};
        if (v >= 100) return Format("%4.1f", v);
        if (v >= 10) return Format("%3.2f", v);
        return Format("%2.3f", v);
    }
    if (u == "%") return v < 0 ? std::string() : Format("%.1f", v);
    return Format("%4.1f", v);
}

namespace {

// The base of a linear unit and the unit's factor to it: mV is 1e-3 V.
struct LinearBase {
    const char* base;
    double factor;
};
LinearBase BaseOf(std::string_view u) {
    if (u == "V") return {"V", 1};
    if (u == "MV") return {"V", 1e-3};
    if (u == "UV") return {"V", 1e-6};
    if (u == "W") return {"W", 1};
    if (u == "MW") return {"W", 1e-3};
    if (u == "UW") return {"W", 1e-6};
    if (u == "VM") return {"V/m", 1};
    if (u == "MVM") return {"V/m", 1e-3};
    if (u == "UVM") return {"V/m", 1e-6};
    if (u == "WM2") return {"W/m\xB2", 1};
    if (u == "MWM2") return {"W/m\xB2", 1e-3};
    return {"W/m\xB2", 1e-6};  // UWM2
}

bool TellsEachApart(const std::vector<double>& values, const std::vector<std::string>& texts) {
    for (size_t i = 0; i < values.size(); ++i) {
        if (texts[i].empty()) return false;
        // A value that is not zero must not read as zero.
        if (values[i] != 0 && texts[i].find_first_of("123456789") == std::string::npos) return false;
        for (size_t k = 0; k < i; ++k)
            if (values[k] != values[i] && texts[k] == texts[i]) return false;
    }
    return true;
}

}  // namespace

LevelTexts ReadableLevels(const std::vector<double>& values, std::string_view u,
                          const std::function<std::string(double)>& partFormat) {
    LevelTexts out;
    out.unit = UnitText(u);
    for (double v : values)
        out.texts.push_back(partFormat ? partFormat(v) : FormatLevel(v, u));
    if (!IsLinearUnit(u) || TellsEachApart(values, out.texts)) return out;
    const LinearBase b = BaseOf(u);
    double largest = 0;
    for (double v : values)
        if (std::isfinite(v)) largest = std::max(largest, std::fabs(v) * b.factor);
    static const struct {
        double scale;
        const char* prefix;
    } prefixes[] = {{1, ""}, {1e-3, "m"}, {1e-6, "\xB5"}, {1e-9, "n"}, {1e-12, "p"}};
    size_t p = 0;
    while (p + 1 < std::size(prefixes) && largest < prefixes[p].scale)
        ++p;
    out.unit = std::string(prefixes[p].prefix) + b.base;
    const double scale = b.factor / prefixes[p].scale;
    // Three significant digits for the largest value, more until the values tell apart.
    const double shownLargest = largest / prefixes[p].scale;
    int decimals = shownLargest >= 100 ? 0 : shownLargest >= 10 ? 1 : 2;
    for (;; ++decimals) {
        out.texts.clear();
        for (double v : values)
            out.texts.push_back(Format("%.*f", decimals, std::isfinite(v) ? v * scale : 0.0));
        if (decimals >= 9 || TellsEachApart(values, out.texts)) break;
    }
    return out;
}

std::string FormatEmf(double v, std::string_view k) {
    if (v == -9999.0) return "N/A";
    if (v == 0.0) return "No Signal";
    double a = std::fabs(v);
    const char* prefix = "";
    if (a < 1e-6) {
        v *= 1e9;
        prefix = "n";
    } else if (a < 0.001) {
        v *= 1e6;
        prefix = "\xB5";
    } else if (a < 1) {
        v *= 1000.0;
        prefix = "m";
    } else if (a >= 1000) {
        v *= 0.001;
        prefix = "k";
    }
    double m = std::fabs(std::trunc(v));
    std::string num = m >= 1000  ? Format("%4.1f", v)
                      : m >= 100 ? Format("%3.2f", v)
                      : m >= 10  ? Format("%2.3f", v)
                                 : Format("%1.4f", v);
    return num + " " + prefix + (k == "PDENsity" ? "W/m\xB2" : "V/m");
}

std::string FormatCalDate(std::string_view text) {
    if (text.empty()) return {};
    if (text == "0,0,0" || text == "1,0,0") return "Not calibrated";
    std::string_view field[3];
    std::string_view rest = text;
    for (int i = 0; i < 3; ++i) {
        size_t c = rest.find(',');
        field[i] = rest.substr(0, c);
        if (c == std::string_view::npos) break;
        rest.remove_prefix(c + 1);
    }
    // Separators without a number are no date ("," from an empty check date).
    if (text.find_first_not_of(", ") == std::string_view::npos) return {};
    int year = field[0].empty() ? 1970 : LeadingInt(field[0]);
    int month = field[1].empty() ? 1 : LeadingInt(field[1]);
    int day = LeadingInt(field[2]);
    return Format("%02d.%02d.%04d", day, month, year);
}

std::string NowText() {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    return Format("%04d/%02d/%02d  %02d:%02d:%02d", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour,
                  tm.tm_min, tm.tm_sec);
}

std::string StampText(std::string_view stamp) {
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    std::string copy(stamp);
    // The instrument writes year/month/day; traces written on the PC carry day.month.year.
    if (std::sscanf(copy.c_str(), "%d/%d/%d %d:%d:%d", &y, &mo, &d, &h, &mi, &s) < 3)
        std::sscanf(copy.c_str(), "%d.%d.%d %d:%d:%d", &d, &mo, &y, &h, &mi, &s);
    return Format("%02d.%02d.%04d  %02d:%02d:%02d", d, mo, y, h, mi, s);
}

double RoundTo(double v, int decimals) {
    double f = std::pow(10.0, decimals);
    return std::round(v * f) / f;
}

}  // namespace fl
