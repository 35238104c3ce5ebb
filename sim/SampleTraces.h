// Realistic instrument trace texts for every measurement mode, with deterministic noise. The simulator
// serves them as its stored traces; the tests and the bundled sample files are made from them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace fl::sim {

struct SampleTrace {
    std::string name;  // instrument file name, at most 11 characters
    std::string description;
    std::vector<std::string> lines;  // the trace text as the instrument sends it
};

// Every sample kind, in a fixed order. `seed` varies the noise (the live trace uses it per update).
std::vector<SampleTrace> AllSampleTraces(uint32_t seed = 1);
// One sample by name (as in AllSampleTraces); empty lines when there is no such sample.
SampleTrace SampleTraceByName(const std::string& name, uint32_t seed = 1);

// A .qtr file: the byte 'a', then every line as an archive string.
std::string LineContainerBytes(const std::vector<std::string>& lines);
// The trace text joined with line feeds.
std::string JoinLines(const std::vector<std::string>& lines);

}  // namespace fl::sim
