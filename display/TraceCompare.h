// Comparing traces: which documents can share one graph, the comparison document that carries the
// others as overlays, and the difference view (a trace minus a reference trace, in dB).
#pragma once

#include <string>
#include <vector>

namespace fl {

class CMyQuarnDoc;

// Why `other` cannot be drawn on `front`'s axes ("GSM900: the mode is Channel Power, not Spectrum
// Analysis"); empty when it can. Units of one kind (levels, or ratios in dB) convert exactly and are
// accepted.
std::string CompareRefusal(const CMyQuarnDoc& front, const CMyQuarnDoc& other);

// The name a document goes by in a legend and in messages.
std::string CompareName(const CMyQuarnDoc& d);

// A copy of `front` with trace A (and B where drawn) of every document of `others` as overlays. Fails,
// with the refusals one per line, when any of them does not fit.
bool ComparisonDocument(const CMyQuarnDoc& front, const std::vector<const CMyQuarnDoc*>& others,
                        CMyQuarnDoc& result, std::string* refusal);

// Trace A (and B when both draw it) of `d` minus that of `ref`, sample by sample, on a dB axis centred on
// 0 dB and wide enough for the largest difference. Limits and markers do not apply to it and are off.
bool DifferenceDocument(const CMyQuarnDoc& d, const CMyQuarnDoc& ref, CMyQuarnDoc& result,
                        std::string* refusal);

// The scale per division (of 8) of a difference axis: the smallest of 0.1, 0.2, 0.5, 1, 2, 5, 10, 20 and
// 50 dB that holds `largest` within the four divisions either side of 0 dB.
double DifferenceScale(double largest);

}  // namespace fl
