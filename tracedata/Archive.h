// The archive encodings of stored traces and line containers: little-endian ints and reals, length-prefixed
// strings and counted arrays. The reader never reads past its buffer and never allocates more than the
// remaining bytes could hold.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace fl {

// Thrown when the data ends before its layout does.
class ArchiveError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class ArchiveReader {
  public:
    explicit ArchiveReader(std::string_view data) : m_data(data) {}

    bool AtEnd() const { return m_pos >= m_data.size(); }
    size_t Position() const { return m_pos; }
    size_t Remaining() const { return m_data.size() - m_pos; }

    uint8_t Byte();
    int32_t Int();
    double Real();
    std::string String();
    // The same string without a copy; valid while the reader's data is.
    std::string_view StringView();
    uint32_t Count();

    void Read(int& v) { v = Int(); }
    void Read(double& v) { v = Real(); }
    void Read(std::string& v) { v = String(); }
    void Read(std::vector<double>& v);
    void Read(std::vector<int>& v);
    void Read(std::vector<std::string>& v);

  private:
    std::string_view Take(size_t n);
    uint16_t U16();
    uint32_t U32();

    std::string_view m_data;
    size_t m_pos = 0;
};

class ArchiveWriter {
  public:
    void Byte(uint8_t b) { m_out.push_back(static_cast<char>(b)); }
    void Int(int32_t v);
    void Real(double v);
    void String(std::string_view s);
    void Count(uint32_t n);

    void Write(int v) { Int(v); }
    void Write(double v) { Real(v); }
    void Write(const std::string& v) { String(v); }
    void Write(const std::vector<double>& v);
    void Write(const std::vector<int>& v);
    void Write(const std::vector<std::string>& v);

    const std::string& Data() const { return m_out; }
    std::string Take() { return std::move(m_out); }

  private:
    void U16(uint16_t v);
    void U32(uint32_t v);
    std::string m_out;
};

}  // namespace fl
