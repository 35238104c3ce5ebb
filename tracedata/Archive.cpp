#include "Archive.h"

#include <bit>
#include <cmath>
#include <cstring>

namespace fl {

static_assert(std::endian::native == std::endian::little, "the archive code assumes a little-endian host");

std::string_view ArchiveReader::Take(size_t n) {
    if (n > Remaining()) throw ArchiveError("unexpected end of file");
    std::string_view s = m_data.substr(m_pos, n);
    m_pos += n;
    return s;
}

uint8_t ArchiveReader::Byte() {
    return static_cast<uint8_t>(Take(1)[0]);
}

uint16_t ArchiveReader::U16() {
    uint16_t v;
    std::memcpy(&v, Take(2).data(), 2);
    return v;
}

uint32_t ArchiveReader::U32() {
    uint32_t v;
    std::memcpy(&v, Take(4).data(), 4);
    return v;
}

int32_t ArchiveReader::Int() {
    return static_cast<int32_t>(U32());
}

double ArchiveReader::Real() {
    double v;
    std::memcpy(&v, Take(8).data(), 8);
    // The instrument stores measured values only; an infinity or a NaN is a damaged file, and would
    // otherwise travel into reports, files and commands.
    if (!std::isfinite(v))
        throw ArchiveError("a value that is no number at byte " + std::to_string(m_pos - 8));
    return v;
}

std::string ArchiveReader::String() {
    return std::string(StringView());
}

std::string_view ArchiveReader::StringView() {
    uint32_t len = Byte();
    if (len == 0xFF) {
        len = U16();
        if (len == 0xFFFF) len = U32();
    }
    return Take(len);
}

uint32_t ArchiveReader::Count() {
    uint32_t n = U16();
    if (n == 0xFFFF) n = U32();
    return n;
}

void ArchiveReader::Read(std::vector<double>& v) {
    uint32_t n = Count();
    if (n > Remaining() / 8) throw ArchiveError("array longer than the file");
    v.resize(n);
    for (auto& x : v)
        x = Real();
}

void ArchiveReader::Read(std::vector<int>& v) {
    uint32_t n = Count();
    if (n > Remaining() / 4) throw ArchiveError("array longer than the file");
    v.resize(n);
    for (auto& x : v)
        x = Int();
}

void ArchiveReader::Read(std::vector<std::string>& v) {
    uint32_t n = Count();
    if (n > Remaining())
        throw ArchiveError("array longer than the file");  // each string takes a byte at least
    v.clear();
    v.reserve(n);
    for (uint32_t i = 0; i < n; ++i)
        v.push_back(String());
}

void ArchiveWriter::U16(uint16_t v) {
    m_out.append(reinterpret_cast<const char*>(&v), 2);
}
void ArchiveWriter::U32(uint32_t v) {
    m_out.append(reinterpret_cast<const char*>(&v), 4);
}
void ArchiveWriter::Int(int32_t v) {
    U32(static_cast<uint32_t>(v));
}
void ArchiveWriter::Real(double v) {
    if (!std::isfinite(v)) v = 0;  // never stored: a reader refuses it
    m_out.append(reinterpret_cast<const char*>(&v), 8);
}

void ArchiveWriter::String(std::string_view s) {
    size_t n = s.size();
    if (n < 0xFF) {
        Byte(static_cast<uint8_t>(n));
    } else if (n < 0xFFFF) {
        Byte(0xFF);
        U16(static_cast<uint16_t>(n));
    } else {
        Byte(0xFF);
        U16(0xFFFF);
        U32(static_cast<uint32_t>(n));
    }
    m_out.append(s);
}

void ArchiveWriter::Count(uint32_t n) {
    if (n < 0xFFFF) {
        U16(static_cast<uint16_t>(n));
    } else {
        U16(0xFFFF);
        U32(n);
    }
}

void ArchiveWriter::Write(const std::vector<double>& v) {
    Count(static_cast<uint32_t>(v.size()));
    for (double x : v)
        Real(x);
}

void ArchiveWriter::Write(const std::vector<int>& v) {
    Count(static_cast<uint32_t>(v.size()));
    for (int x : v)
        Int(x);
}

void ArchiveWriter::Write(const std::vector<std::string>& v) {
    Count(static_cast<uint32_t>(v.size()));
    for (const auto& s : v)
        String(s);
}

}  // namespace fl
