#include "GpsFormatDialog.h"
#include "QtText.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>

namespace fl {

const QStringList kPositionFormats = {FromUtf8("DDD\u00B0 MM.MMMM' H"), FromUtf8("DDD\u00B0 MM' SS.SS'' H"),
                                      FromUtf8("DDD.DDDD\u00B0")};
const QStringList kSpeedUnits = {"KPH", "MPH", "KTS"};
const QStringList kAltitudeUnits = {"Meter", "Feet"};

QComboBox* ChoiceList(const QStringList& items, int index) {
    auto* c = new QComboBox;
    c->addItems(items);
    c->setCurrentIndex(std::clamp(index, 0, static_cast<int>(items.size()) - 1));
    return c;
}

GpsFormatDialog::GpsFormatDialog(int position, int altitude, int speed, QWidget* parent) : QDialog(parent) {
    setWindowTitle("GPS");
    auto* layout = new QFormLayout(this);
    m_position = ChoiceList(kPositionFormats, position);
    m_altitude = ChoiceList(kAltitudeUnits, altitude);
    m_speed = ChoiceList(kSpeedUnits, speed);
    layout->addRow("Position", m_position);
    layout->addRow("Altitude", m_altitude);
    layout->addRow("Speed", m_speed);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    layout->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

int GpsFormatDialog::Position() const {
    return m_position->currentIndex();
}
int GpsFormatDialog::Altitude() const {
    return m_altitude->currentIndex();
}
int GpsFormatDialog::Speed() const {
    return m_speed->currentIndex();
}

}  // namespace fl
