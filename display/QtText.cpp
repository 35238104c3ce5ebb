#include "QtText.h"

#include <QList>

#include "Text.h"

namespace fl {

QString FromCp1252(std::string_view s) {
    return FromUtf8(Cp1252ToUtf8(s));
}

std::string ToCp1252(const QString& s) {
    std::string out;
    out.reserve(static_cast<size_t>(s.size()));
    for (const char32_t cp : s.toUcs4())
        out.push_back(UnicodeToCp1252(cp).value_or('?'));
    return out;
}

QString FromUtf8(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

std::string ToUtf8(const QString& s) {
    const QByteArray b = s.toUtf8();
    return std::string(b.constData(), static_cast<size_t>(b.size()));
}

}  // namespace fl
