// A hand-made spectrum trace for the display tests: 999.5 to 1000.5 MHz (2 kHz per display point), trace A
// only, reference 0 dB(m) at 10 dB per division, every point at `level`.
#pragma once

#include "CMyQuarnDoc.h"

namespace fl::test {

inline CMyQuarnDoc HandSpectrum(double level = -80, const std::string& unit = "DBM") {
    CMyQuarnDoc d;
    d.m_strMode = "SANalyzer";
    d.m_dCenter = 1e9;
    d.m_dSpan = 1e6;
    d.m_dSweepTime = 0.1;
    d.m_nTraceModeA = ACTual;
    d.m_nTraceModeB = TRACE_OFF;
    d.m_bShowTraceA = 1;
    d.m_dRefLevel = 0;
    d.m_dScaleLog = 10;
    d.m_strRefLevelUnit = unit;
    d.RunPostReadSteps();
    std::fill(d.m_arrTraceA.begin(), d.m_arrTraceA.end(), level);
    return d;
}

}  // namespace fl::test
