// The "GPS" window (port, speed, display formats, Start/Stop and every value of the fix), the small
// "GPS Data" window, and the "GPS..." display-format dialog of the trace view.
#pragma once

#include <QDialog>
#include <QTimer>

#include "GpsReceiver.h"

class QComboBox;
class QLabel;
class QPushButton;

namespace fl {

class GpsDataWindow;

class GpsWindow : public QDialog {
    Q_OBJECT
  public:
    GpsWindow(GpsReceiver& receiver, QWidget* parent = nullptr);
    ~GpsWindow() override;
    void StartStop();
    void Refresh();
    QString Value(const QString& caption) const;  // the text shown beside a caption (tests)
    QPushButton* StartButton() { return m_start; }
    // Test hook: a device path instead of the selected COM entry.
    QString deviceOverride;

  protected:
    void closeEvent(QCloseEvent* e) override;

  private:
    void StoreFormats();
    GpsReceiver& m_gps;
    QComboBox* m_com;
    QComboBox* m_baud;
    QComboBox* m_position;
    QComboBox* m_speed;
    QComboBox* m_altitude;
    QPushButton* m_start;
    std::map<QString, QLabel*> m_values;
    QTimer m_timer;
    GpsDataWindow* m_small;
};

class GpsDataWindow : public QDialog {
    Q_OBJECT
  public:
    GpsDataWindow(GpsReceiver& receiver, QWidget* big, QWidget* parent = nullptr);
    void Refresh();

  private:
    GpsReceiver& m_gps;
    QLabel* m_lat;
    QLabel* m_lon;
    QLabel* m_alt;
};

// Colour of the status texts: green for OK, blue for a warning, red otherwise.
QColor GpsStatusColour(const std::string& statusText);

}  // namespace fl
