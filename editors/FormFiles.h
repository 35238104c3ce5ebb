// The two form editors' files: channel systems (.qsy, eight keyword lines) and DTF cable types (.qct,
// five keyword lines), with the checks their Save runs. Keyword files are read by containment, in the
// keyword order, one keyword per line; a missing keyword leaves its field as it was.
#pragma once

#include <string>
#include <string_view>

namespace fl {

struct ChannelSystem {
    std::string name = "Untitled";
    int first = 0;
    int last = 64;
    double width = 5e6;
    double spacing = 10e6;
    double firstCenter = 900e6;
    double systemLevel = 0;  // carried through from a file; 0 for a new system
    std::string maxFreq = "4 GHz";
};

// Reads the keyword lines over `current`.
ChannelSystem ReadChannelSystemText(std::string_view text, ChannelSystem current = {});
// The eight lines; `name` is the file name up to its first full stop. Decimals as printf "%g" writes.
std::string ChannelSystemText(const ChannelSystem& s, const std::string& name);
// Save's checks in order; "" when the system may be saved, else the message.
std::string CheckChannelSystem(const ChannelSystem& s);

struct CableType {
    std::string description;
    double dielectric = 1.0;
    double attenuation = 0.0;  // dB per 100 units of length
    bool feet = false;
    double cutoff = 4e9;  // Hz
};

// velocity factor = 1 / sqrt(dielectric constant), and back; only a value above 0 gives the other.
bool VelocityFromDielectric(double dielectric, double& velocity);
bool DielectricFromVelocity(double velocity, double& dielectric);

CableType ReadCableTypeText(std::string_view text, CableType current = {});
std::string CableTypeText(const CableType& c);
// Save's five checks in order (`velocity` as the form shows it); "" or the message.
std::string CheckCableType(const CableType& c, double velocity);

// "Untitled" and the other names: the part of a file name before its first full stop.
std::string NameBeforeFirstDot(const std::string& fileName);

}  // namespace fl
