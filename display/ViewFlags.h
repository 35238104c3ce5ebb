// The view's show/hide commands on a document: the rules of the Trace A/B toggles, the flags that also
// become the program-wide defaults, and which menu entries are checked or greyed.
#pragma once

#include "DocEnvironment.h"

namespace fl {

class CMyQuarnDoc;

enum class ViewCommand {
    TraceA,
    TraceB,
    MarkersA,
    MarkersB,
    Level,
    Status,
    TraceDetector,
    ExternalDevice,
    Instrument,
    Gps,
    Grid,
    ShowAll,
    HideAll,
    Landscape,
    Portrait,
};

struct MenuEntryState {
    bool enabled = true;
    bool checked = false;
};

// Applies a command; returns true when the document changed. Flags with a program-wide default store
// their new value in `defaults` too.
bool ApplyViewCommand(CMyQuarnDoc& doc, ViewCommand command, DisplayPreferences& defaults);
MenuEntryState ViewMenuState(const CMyQuarnDoc& doc, ViewCommand command);

}  // namespace fl
