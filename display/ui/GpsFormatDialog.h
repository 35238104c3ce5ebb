// "GPS...": how the GPS panel of a trace shows position, altitude and speed.
#pragma once

#include <QDialog>
#include <QStringList>

class QComboBox;

namespace fl {

// The choices of position format, speed unit and altitude unit, in the order of their numbers.
extern const QStringList kPositionFormats;
extern const QStringList kSpeedUnits;
extern const QStringList kAltitudeUnits;
// A drop-down list of `items` with `index` chosen (kept inside the list).
QComboBox* ChoiceList(const QStringList& items, int index);

// "GPS...": how the GPS panel shows position, altitude and speed.
class GpsFormatDialog : public QDialog {
    Q_OBJECT
  public:
    GpsFormatDialog(int position, int altitude, int speed, QWidget* parent = nullptr);
    int Position() const;
    int Altitude() const;
    int Speed() const;

  private:
    QComboBox* m_position;
    QComboBox* m_altitude;
    QComboBox* m_speed;
};

}  // namespace fl
