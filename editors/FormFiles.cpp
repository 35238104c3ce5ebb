#include "FormFiles.h"

#include <cmath>

#include "LimitFile.h"
#include "Text.h"
#include "TextLines.h"

namespace fl {

namespace {

std::string WithoutBlanks(std::string s) {
    std::erase(s, ' ');
    return s;
}

// Everything after the first blank.
std::string AfterBlank(const std::string& line) {
    const size_t b = line.find(' ');
    return b == std::string::npos ? std::string() : line.substr(b + 1);
}

bool SevenAndAHalf(const std::string& maxFreq) {
    return maxFreq.find("7.5 GHz") != std::string::npos;
}

}  // namespace

std::string NameBeforeFirstDot(const std::string& fileName) {
    return fileName.substr(0, fileName.find('.'));
}

ChannelSystem ReadChannelSystemText(std::string_view text, ChannelSystem s) {
    for (const std::string& line : SplitEditorLines(text, kMaxEditorLineLength)) {
        if (line.find("Name") != std::string::npos)
            s.name = WithoutBlanks(line.size() > 4 ? line.substr(4) : std::string());
        else if (line.find("ChCnt") != std::string::npos)
            s.last = LeadingInt(WithoutBlanks(AfterBlank(line)));
        else if (line.find("ChStart") != std::string::npos)
            s.first = LeadingInt(WithoutBlanks(AfterBlank(line)));
        else if (line.find("ChWidth") != std::string::npos)
            s.width = LeadingReal(WithoutBlanks(AfterBlank(line)));
        else if (line.find("ChSpace") != std::string::npos)
            s.spacing = LeadingReal(WithoutBlanks(AfterBlank(line)));
        else if (line.find("FStart") != std::string::npos)
            s.firstCenter = LeadingReal(WithoutBlanks(AfterBlank(line)));
        else if (line.find("SysLvl") != std::string::npos)
            s.systemLevel = LeadingReal(WithoutBlanks(AfterBlank(line)));
        else if (line.find("MaxFreq") != std::string::npos)
            s.maxFreq = AfterBlank(line);
    }
    return s;
}

std::string ChannelSystemText(const ChannelSystem& s, const std::string& name) {
    return "Name " + name + Format("\r\nChCnt %d\r\nChStart %d\r\n", s.last, s.first) + "ChWidth " +
           FormatOrExact("%g", s.width) + "\r\nChSpace " + FormatOrExact("%g", s.spacing) + "\r\nFStart " +
           FormatOrExact("%g", s.firstCenter) + "\r\nSysLvl " + FormatOrExact("%g", s.systemLevel) +
           "\r\nMaxFreq " + s.maxFreq + "\r\n";
}

std::string CheckChannelSystem(const ChannelSystem& s) {
    const bool wide = SevenAndAHalf(s.maxFreq);
    const double small = wide ? 3.75e9 : 2e9, large = wide ? 7.5e9 : 4e9;
    const std::string smallText = wide ? "Please insert a value between 100 Hz and 3.75 GHz"
                                       : "Please insert a value between 100 Hz and 2 GHz";
    const std::string largeText = wide ? "Please insert a value between 0 Hz and 7.5 GHz"
                                       : "Please insert a value between 0 Hz and 4 GHz";
    if (!(s.width >= 100 && s.width <= small)) return "Channel Width:\n" + smallText;
    if (!(s.spacing >= 100 && s.spacing <= small)) return "Channel Spacing:\n" + smallText;
    if (!(s.firstCenter >= 0 && s.firstCenter <= large)) return "1st Channel Center:\n" + largeText;
    if (!(s.first < s.last)) return "Last channel < first channel";
    return {};
}

bool VelocityFromDielectric(double dielectric, double& velocity) {
    if (!(dielectric > 0)) return false;
    velocity = 1 / std::sqrt(dielectric);
    return true;
}

bool DielectricFromVelocity(double velocity, double& dielectric) {
    if (!(velocity > 0)) return false;
    dielectric = 1 / (velocity * velocity);
    return true;
}

CableType ReadCableTypeText(std::string_view text, CableType c) {
    for (const std::string& line : SplitEditorLines(text, kMaxEditorLineLength)) {
        const std::string value = WithoutBlanks(AfterBlank(line));
        if (line.find("Name") != std::string::npos)
            c.description = value;
        else if (line.find("CDielec") != std::string::npos)
            c.dielectric = LeadingReal(value);
        else if (line.find("CAttn") != std::string::npos)
            c.attenuation = LeadingReal(value);
        else if (line.find("CUnit") != std::string::npos)
            c.feet = LeadingInt(value) == 1;
        else if (line.find("CCutFrq") != std::string::npos)
            c.cutoff = LeadingReal(value);
    }
    return c;
}

std::string CableTypeText(const CableType& c) {
    return "Name " + c.description + "\r\nCDielec " + FormatOrExact("%g", c.dielectric) + "\r\nCAttn " +
           FormatOrExact("%g", c.attenuation) + Format("\r\nCUnit %d\r\nCCutFrq ", c.feet ? 1 : 0) +
           FormatOrExact("%.0f", c.cutoff) + "\r\n";
}

std::string CheckCableType(const CableType& c, double velocity) {
    if (!(c.dielectric >= 1 && c.dielectric <= 20))
        return "Please insert a \"Cable Dielectric\" between 1 and 20    ";
    if (!(velocity >= 0.22 && velocity <= 1))
        return "Please insert a \"Cable Velocity\" between 0.22 and 1    ";
    if (!c.feet && !(c.attenuation >= 0 && c.attenuation <= 2000))
        return "Please insert a \"Cable Attenuation\" between 0 dB/m  and 2000 dB/m    ";
    if (c.feet && !(c.attenuation >= 0 && c.attenuation <= 609))
        return "Please insert a \"Cable Attenuation\" between 0 dB/ft and 609 dB/ft    ";
    if (!(c.cutoff >= 0 && c.cutoff <= 7.5e9))
        return "Please insert a \"Cut Off Frequency\" between 0 Hz and 7.5 GHz    ";
    return {};
}

}  // namespace fl
