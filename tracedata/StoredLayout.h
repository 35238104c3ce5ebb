// The binary stored-trace layouts: versions A to F (the program writes F) and the unversioned earliest form.
#pragma once

#include <string>
#include <string_view>

#include "TraceRecord.h"

namespace fl {

// Reads the fields of version `version` ('A'..'F') that follow the version byte. Throws ArchiveError when
// the data ends early. Fields the version does not carry keep their values in `rec`.
class ArchiveReader;
class ArchiveWriter;
void ReadStoredFields(ArchiveReader& in, char version, TraceRecord& rec);
// Writes the version byte and the fields of that version's list.
void WriteStoredTrace(ArchiveWriter& out, const TraceRecord& rec, char version = 'F');
std::string StoredTraceBytes(const TraceRecord& rec, char version = 'F');

// The unversioned layout starts right at the first byte of the file.
void ReadUnversioned(ArchiveReader& in, TraceRecord& rec);
void WriteUnversioned(ArchiveWriter& out, const TraceRecord& rec, bool withExtension = true);

// Names of the version F fields in order (the second m_strLimitState included); for tests and tools.
const std::vector<std::string_view>& StoredFieldNames();
// Number of fields (after the version byte) that version 'A'..'F' carries.
size_t StoredFieldCount(char version);

}  // namespace fl
