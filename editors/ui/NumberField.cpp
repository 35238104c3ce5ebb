#include "NumberField.h"

#include <charconv>
#include <cmath>
#include <functional>

#include "QtText.h"

namespace fl {

namespace {

// A finite decimal number, blanks around it allowed; a decimal comma is taken as a point.
bool ParseNumber(QString text, double& v) {
    text = text.trimmed().replace(',', '.');
    if (text.startsWith('+')) text.remove(0, 1);
    const std::string s = ToUtf8(text);
    if (s.empty()) return false;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    return ec == std::errc() && end == s.data() + s.size() && std::isfinite(v);
}

QString RangeNumber(double v) {
    return NumberField::ShortestText(v, 0);
}

}  // namespace

NumberField::NumberField(QWidget* parent) : QLineEdit(parent) {
    setText(m_shown);
    connect(this, &QLineEdit::textEdited, this, [this] {
        double v;
        if (ParseNumber(text(), v)) emit valueChanged(v);
    });
}

void NumberField::setRange(double lo, double hi) {
    m_lo = lo;
    m_hi = hi;
}

QString NumberField::ShortestText(double v, int decimals) {
    if (!std::isfinite(v)) return QString::number(v);
    char buf[400];
    // The usual decimals when they say the value exactly ("2.0" rather than "2").
    const int n = std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
    double back;
    if (n > 0 && n < static_cast<int>(sizeof buf) && std::from_chars(buf, buf + n, back).ec == std::errc() &&
        back == v)
        return FromUtf8(std::string_view(buf, static_cast<size_t>(n)));
    const bool fixed = std::fabs(v) >= 1e-4 && std::fabs(v) < 1e15;
    const auto r = std::to_chars(buf, buf + sizeof buf, v,
                                 fixed ? std::chars_format::fixed : std::chars_format::general);
    return FromUtf8(std::string_view(buf, static_cast<size_t>(r.ptr - buf)));
}

void NumberField::setValue(double v) {
    m_kept = v;
    m_shown = ShortestText(v, m_decimals);
    setText(m_shown);
    emit valueChanged(v);
}

void NumberField::setRounded(double v) {
    const double scale = std::pow(10.0, m_decimals);
    setValue(std::isfinite(v) ? std::round(v * scale) / scale : v);
}

double NumberField::value() const {
    if (!Edited()) return m_kept;
    double v;
    return ParseNumber(text(), v) ? v : std::numeric_limits<double>::quiet_NaN();
}

QString NumberField::Problem() const {
    const double v = value();
    const bool whole = !m_integers || v == std::floor(v);
    if (std::isfinite(v) && whole && v >= m_lo && v <= m_hi) return {};
    const QString what = m_integers ? "an integer" : "a number";
    if (m_lo == -std::numeric_limits<double>::max()) return "Please enter " + what + ".";
    return QString("Please enter %1 between %2 and %3.").arg(what, RangeNumber(m_lo), RangeNumber(m_hi));
}

bool FieldsAccepted(const std::vector<NumberField*>& fields,
                    const std::function<void(const QString&)>& message) {
    for (NumberField* f : fields) {
        const QString problem = f->Problem();
        if (problem.isEmpty()) continue;
        if (message) message(problem);
        f->setFocus();
        f->selectAll();
        return false;
    }
    return true;
}

}  // namespace fl
