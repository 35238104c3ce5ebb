// Level conversions between dBm and every display unit, unit texts, number and date formats.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace fl {

// Reference impedance of the volt conversions when no trace says otherwise. Every conversion is given the
// impedance of the trace it serves, so one open 75 Ohm trace never changes the figures of another.
inline constexpr double kDefaultImpedance = 50.0;

std::string UnitText(std::string_view keyword);
std::string UnitKeyword(std::string_view text);
std::string ScaleUnitText(std::string_view keyword);
std::string LengthUnitText(std::string_view keyword);

// True for V, MV, UV, W, MW, UW and the linear EMF units.
bool IsLinearUnit(std::string_view keyword);

double LevelFromDbm(double p, std::string_view unit, double impedance);
// LevelFromDbm with the unit resolved once, for converting many points of one trace.
std::function<double(double)> LevelFromDbmFor(std::string_view unit, double impedance);
double LevelToDbm(double x, std::string_view unit, double impedance);

std::string FormatLevel(double v, std::string_view unit);

// Values of one unit shown together (the ticks of an axis, the markers of a table, one reference): the
// unit's own format (FormatLevel) where it shows each value, non-zero ones as non-zero and different
// values differently; else, for the linear units, the engineering prefix (mW, uW, nW; mV, uV) and the
// decimals that do, negative values with their sign. `unit` is the unit's text for the values shown.
struct LevelTexts {
    std::vector<std::string> texts;
    std::string unit;
};
// `partFormat` replaces FormatLevel as the first choice where a place has its own format.
LevelTexts ReadableLevels(const std::vector<double>& values, std::string_view unit,
                          const std::function<std::string(double)>& partFormat = {});
std::string FormatEmf(double v, std::string_view measureKeyword);
std::string FormatCalDate(std::string_view text);
std::string NowText();
// "year/month/day h:m:s" (or "day.month.year h:m:s") as "dd.mm.yyyy  hh:mm:ss".
std::string StampText(std::string_view stamp);
double RoundTo(double v, int decimals);

}  // namespace fl
