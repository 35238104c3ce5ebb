// A number field that keeps the value it was given. It shows the shortest text that reads back to that
// value (with the field's usual decimals when they say it exactly) and gives back exactly that value
// until the user types something else, so opening and confirming never changes a number. The range is
// checked when the dialog is confirmed, never by clamping: a value from a file shows as it is.
#pragma once

#include <QLineEdit>
#include <QString>
#include <functional>
#include <limits>
#include <vector>

namespace fl {

class NumberField : public QLineEdit {
    Q_OBJECT
  public:
    explicit NumberField(QWidget* parent = nullptr);
    void setRange(double lo, double hi);
    void setDecimals(int decimals) { m_decimals = decimals; }
    void setIntegers(bool on) { m_integers = on; }
    double minimum() const { return m_lo; }
    double maximum() const { return m_hi; }

    // Shows and keeps `v` (also when it lies outside the range).
    void setValue(double v);
    // A computed value, shown and kept at the field's decimals.
    void setRounded(double v);
    // The value given, or the number typed; NaN when the text is no finite number.
    double value() const;
    // The text differs from what setValue showed.
    bool Edited() const { return text() != m_shown; }
    // "" when the value is a number within the range, else the message a dialog shows.
    QString Problem() const;

    static QString ShortestText(double v, int decimals);

  signals:
    void valueChanged(double value);

  private:
    double m_lo = -std::numeric_limits<double>::max();
    double m_hi = std::numeric_limits<double>::max();
    int m_decimals = 0;
    bool m_integers = false;
    double m_kept = 0;
    QString m_shown = "0";
};

// The first field of `fields` whose value is refused: its message is shown, it takes the focus, and the
// dialog stays open. True when every field is fine.
bool FieldsAccepted(const std::vector<NumberField*>& fields,
                    const std::function<void(const QString&)>& message);

}  // namespace fl
