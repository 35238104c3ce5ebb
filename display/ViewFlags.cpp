#include "ViewFlags.h"

#include "CMyQuarnDoc.h"

namespace fl {

namespace {

bool EdevMode(const CMyQuarnDoc& d) {
    return d.m_strMode == "DTF" || d.m_strMode == "RFLection" || d.m_strMode == "CLOSs";
}

// The document flag and the default it keeps in step with.
struct Flag {
    int CMyQuarnDoc::*doc;
    int DisplayPreferences::*pref;
};

bool FlagOf(ViewCommand c, Flag& f) {
    switch (c) {
        case ViewCommand::MarkersA:
            f = {&CMyQuarnDoc::m_bShowMarkersA, &DisplayPreferences::showMarkersA};
            return true;
        case ViewCommand::MarkersB:
            f = {&CMyQuarnDoc::m_bShowMarkersB, &DisplayPreferences::showMarkersB};
            return true;
        case ViewCommand::Level:
            f = {&CMyQuarnDoc::m_bShowLevelPanel, &DisplayPreferences::showLevelPanel};
            return true;
        case ViewCommand::Status:
            f = {&CMyQuarnDoc::m_bShowStatusPanel, &DisplayPreferences::showStatusPanel};
            return true;
        case ViewCommand::TraceDetector:
            f = {&CMyQuarnDoc::m_bShowTracePanel, &DisplayPreferences::showTracePanel};
            return true;
        case ViewCommand::ExternalDevice:
            f = {&CMyQuarnDoc::m_bShowEdevPanel, &DisplayPreferences::showEdevPanel};
            return true;
        case ViewCommand::Instrument:
            f = {&CMyQuarnDoc::m_bShowInstrumentPanel, &DisplayPreferences::showInstrumentPanel};
            return true;
        case ViewCommand::Gps:
            f = {&CMyQuarnDoc::m_bShowGpsPanel, &DisplayPreferences::showGpsPanel};
            return true;
        case ViewCommand::Grid:
            f = {&CMyQuarnDoc::m_bShowGrid, &DisplayPreferences::showGrid};
            return true;
        default:
            return false;
    }
}

}  // namespace

bool ApplyViewCommand(CMyQuarnDoc& d, ViewCommand c, DisplayPreferences& defaults) {
    Flag f;
    if (FlagOf(c, f)) {
        d.*f.doc = d.*f.doc ? 0 : 1;
        defaults.*f.pref = d.*f.doc;
        d.SetModifiedFlag();
        return true;
    }
    switch (c) {
        case ViewCommand::TraceA:
            if (d.m_nTraceModeB == TRACE_OFF) return false;  // the only live trace cannot be hidden
            d.m_bShowTraceA = !d.m_bShowTraceA;
            d.m_nFrontTrace = (d.m_bShowTraceB && !d.m_bShowTraceA) ? 1 : 0;
            d.SetModifiedFlag();
            return true;
        case ViewCommand::TraceB:
            if (d.m_nTraceModeA == TRACE_OFF) return false;
            d.m_bShowTraceB = !d.m_bShowTraceB;
            d.m_nFrontTrace = (d.m_bShowTraceA && !d.m_bShowTraceB) ? 0 : 1;
            d.SetModifiedFlag();
            return true;
        case ViewCommand::ShowAll:
        case ViewCommand::HideAll: {
            const int v = c == ViewCommand::ShowAll ? 1 : 0;
            for (ViewCommand k : {ViewCommand::Level, ViewCommand::Status, ViewCommand::TraceDetector,
                                  ViewCommand::Instrument, ViewCommand::ExternalDevice, ViewCommand::Gps}) {
                FlagOf(k, f);
                d.*f.doc = v;
                defaults.*f.pref = v;
            }
            d.SetModifiedFlag();
            return true;
        }
        case ViewCommand::Landscape:
        case ViewCommand::Portrait:
            // Both entries toggle the view mode.
            d.m_nOrientation = d.m_nOrientation ? 0 : 1;
            defaults.orientation = d.m_nOrientation;
            d.UpdatePageSize();
            d.SetModifiedFlag();
            return true;
        default:
            return false;
    }
}

MenuEntryState ViewMenuState(const CMyQuarnDoc& d, ViewCommand c) {
    Flag f;
    switch (c) {
        case ViewCommand::TraceA:
            if (d.m_nTraceModeA == TRACE_OFF) return {false, false};
            return {true, d.m_bShowTraceA != 0};
        case ViewCommand::TraceB:
            if (d.m_nTraceModeB == TRACE_OFF) return {false, false};
            return {true, d.m_bShowTraceB != 0};
        case ViewCommand::MarkersB:
            return {d.m_nTraceModeB != TRACE_OFF, d.m_bShowMarkersB != 0};
        case ViewCommand::ExternalDevice:
            if (!EdevMode(d)) return {false, false};
            return {true, d.m_bShowEdevPanel != 0};
        case ViewCommand::Landscape:
            return {true, d.m_nOrientation != 0};
        case ViewCommand::Portrait:
            return {true, d.m_nOrientation == 0};
        case ViewCommand::ShowAll:
        case ViewCommand::HideAll:
            return {true, false};
        default:
            if (FlagOf(c, f)) return {true, d.*f.doc != 0};
            return {true, false};
    }
}

}  // namespace fl
