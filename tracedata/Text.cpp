#include "Text.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include <locale.h>

namespace fl {

namespace {

// Numbers in files, commands and on the page always use a decimal point: the GUI sets the user's locale
// (a German one writes "1,2"), so every formatting here runs in the C locale of its own thread.
locale_t CLocale() {
    static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return c;
}

class CNumbers {
  public:
    CNumbers() : m_old(uselocale(CLocale())) {}
    ~CNumbers() { uselocale(m_old); }
    CNumbers(const CNumbers&) = delete;
    CNumbers& operator=(const CNumbers&) = delete;

  private:
    locale_t m_old;
};

}  // namespace

std::string Format(const char* fmt, ...) {
    CNumbers c;
    char buf[256];
    va_list ap;
    va_start(ap, fmt);
    int n = std::vsnprintf(buf, sizeof buf, fmt, ap);
    va_end(ap);
    if (n < 0) return {};
    if (static_cast<size_t>(n) < sizeof buf) return std::string(buf, static_cast<size_t>(n));
    std::string out(static_cast<size_t>(n) + 1, '\0');
    va_start(ap, fmt);
    std::vsnprintf(out.data(), out.size(), fmt, ap);
    va_end(ap);
    out.resize(static_cast<size_t>(n));
    return out;
}

std::string ToUpperAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

std::string ToLowerAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

void ReplaceAll(std::string& s, char from, char to) {
    for (char& c : s)
        if (c == from) c = to;
}

bool EndsWithNoCase(std::string_view s, std::string_view suffix) {
    if (suffix.size() > s.size()) return false;
    return ToLowerAscii(s.substr(s.size() - suffix.size())) == ToLowerAscii(suffix);
}

namespace {
size_t SkipBlanks(std::string_view s) {
    size_t i = 0;
    while (i < s.size() &&
           (s[i] == ' ' || s[i] == '\t' || s[i] == '\n' || s[i] == '\r' || s[i] == '\v' || s[i] == '\f'))
        ++i;
    return i;
}
}  // namespace

int LeadingInt(std::string_view s) {
    size_t i = SkipBlanks(s);
    bool neg = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) neg = s[i++] == '-';
    long long v = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
        v = v * 10 + (s[i] - '0');
        if (v > static_cast<long long>(INT_MAX) + 1) break;
    }
    if (neg) v = -v;
    if (v > INT_MAX) return INT_MAX;
    if (v < INT_MIN) return INT_MIN;
    return static_cast<int>(v);
}

double LeadingReal(std::string_view s) {
    size_t i = SkipBlanks(s);
    if (i < s.size() && s[i] == '+') ++i;
    // A decimal number only: "nan" and "inf" from a hostile line must not become the record's values.
    const size_t digit = i < s.size() && s[i] == '-' ? i + 1 : i;
    if (digit >= s.size() || !(std::isdigit(static_cast<unsigned char>(s[digit])) || s[digit] == '.'))
        return 0.0;
    const char* first = s.data() + i;
    const char* last = s.data() + s.size();
    double v = 0.0;
    auto [ptr, ec] = std::from_chars(first, last, v);
    if (ec == std::errc::result_out_of_range) {
        // Underflow reads as the nearest value (strtod, on a terminated copy); a number beyond the range
        // of a double ("1e999") is no value at all and reads as none, 0, like any other text.
        std::string copy(first, last);
        const double r = strtod_l(copy.c_str(), nullptr, CLocale());
        return std::isfinite(r) ? r : 0.0;
    }
    if (ec != std::errc()) return 0.0;
    return v;
}

bool IsNoNumberText(std::string_view s) {
    size_t i = SkipBlanks(s);
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    const std::string word = ToLowerAscii(s.substr(i, 3));
    if (word == "inf" || word == "nan") return true;
    if (i >= s.size() || !(std::isdigit(static_cast<unsigned char>(s[i])) || s[i] == '.')) return false;
    double v;
    return std::from_chars(s.data() + i, s.data() + s.size(), v).ec == std::errc::result_out_of_range &&
           !std::isfinite(strtod_l(std::string(s.substr(i)).c_str(), nullptr, CLocale()));
}

int ClampToInt(double v) {
    if (!(v == v)) return 0;
    if (v >= 2147483647.0) return INT_MAX;
    if (v <= -2147483648.0) return INT_MIN;
    return static_cast<int>(v);
}

int HexPrefixValue(std::string_view s) {
    int v = 0;
    for (char c : s) {
        int d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else
            break;
        if (v > 0x7FFFFFF) break;
        v = v * 16 + d;
    }
    return v;
}

namespace {
// 0x80..0x9F differ from Latin-1; the rest map to the same code point. The five bytes the code page leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) stand for themselves, so every byte survives the way there and
// back.
const char16_t kHigh[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                            0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                            0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                            0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
}  // namespace

std::optional<char> UnicodeToCp1252(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<char>(cp);
    const auto* at = std::find(std::begin(kHigh), std::end(kHigh), static_cast<char16_t>(cp));
    if (cp > 0xFFFF || at == std::end(kHigh)) return std::nullopt;
    return static_cast<char>(0x80 + (at - std::begin(kHigh)));
}

namespace {

// One UTF-8 character at s[i]: its code point and length; nothing for bytes that are not UTF-8.
std::optional<std::pair<char32_t, size_t>> DecodeUtf8(std::string_view s, size_t i) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    char32_t cp;
    size_t n;
    if (c < 0x80)
        cp = c, n = 1;
    else if ((c & 0xE0) == 0xC0)
        cp = c & 0x1F, n = 2;
    else if ((c & 0xF0) == 0xE0)
        cp = c & 0x0F, n = 3;
    else if ((c & 0xF8) == 0xF0)
        cp = c & 0x07, n = 4;
    else
        return std::nullopt;
    if (i + n > s.size()) return std::nullopt;
    for (size_t k = 1; k < n; ++k) {
        const unsigned char t = static_cast<unsigned char>(s[i + k]);
        if ((t & 0xC0) != 0x80) return std::nullopt;
        cp = (cp << 6) | (t & 0x3F);
    }
    return std::pair{cp, n};
}

}  // namespace

std::optional<std::string> Utf8ToCp1252(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        const auto ch = DecodeUtf8(s, i);
        if (!ch) return std::nullopt;  // not UTF-8
        const std::optional<char> b = UnicodeToCp1252(ch->first);
        if (!b) return std::nullopt;  // not in the code page
        out.push_back(*b);
        i += ch->second;
    }
    return out;
}

std::string PathTextToCp1252(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        const auto ch = DecodeUtf8(s, i);
        if (!ch) {
            out.push_back(s[i++]);  // a byte that is no UTF-8 was most likely written as Windows-1252
            continue;
        }
        out.push_back(UnicodeToCp1252(ch->first).value_or('?'));
        i += ch->second;
    }
    return out;
}

std::string UpperCaseUtf8Name(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        const auto ch = DecodeUtf8(s, i);
        const std::optional<char> b = ch ? UnicodeToCp1252(ch->first) : std::nullopt;
        if (!b) {
            // Outside the code page (or no UTF-8): left as it is.
            const size_t n = ch ? ch->second : 1;
            out.append(s.substr(i, n));
            i += n;
            continue;
        }
        out += Cp1252ToUtf8(ToUpperCp1252(std::string(1, *b)));
        i += ch->second;
    }
    return out;
}

std::string ToUpperCp1252(std::string_view s) {
    std::string out(s);
    for (char& ch : out) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (c >= 'a' && c <= 'z')
            ch = static_cast<char>(c - 32);
        else if (c >= 0xE0 && c <= 0xFE && c != 0xF7)
            ch = static_cast<char>(c - 32);  // à..þ, not ÷
        else if (c == 0x9A || c == 0x9C || c == 0x9E)
            ch = static_cast<char>(c - 16);  // š œ ž
        else if (c == 0xFF)
            ch = static_cast<char>(0x9F);  // ÿ
    }
    return out;
}

std::string Cp1252ToUtf8(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (unsigned char c : s) {
        char32_t cp = c;
        if (c >= 0x80 && c < 0xA0) cp = kHigh[c - 0x80];
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

}  // namespace fl
