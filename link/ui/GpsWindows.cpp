#include "GpsWindows.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "ConnectDialogLogic.h"
#include "ConnectionSettings.h"
#include "GpsFormatDialog.h"
#include "GpsText.h"
#include "PageCanvas.h"
#include "Text.h"

namespace fl {

namespace {
const QStringList kBauds = {"57600", "38400", "19200", "14400", "9600", "4800", "2400", "1200"};

}  // namespace

QColor GpsStatusColour(const std::string& s) {
    return s == "OK" ? QColor(0, 161, 88) : s == "WARNing" ? QColor(0, 0, 255) : QColor(255, 0, 0);
}

GpsWindow::GpsWindow(GpsReceiver& receiver, QWidget* parent) : QDialog(parent), m_gps(receiver) {
    setWindowTitle("GPS - No valid data");
    auto* layout = new QVBoxLayout(this);
    auto* settings = new QFormLayout;
    m_com = new QComboBox;
    for (const auto& p : ProbeComPorts())
        m_com->addItem(FromUtf8(p.name + "    " + p.device));
    if (s_settings.gpsComPort <= m_com->count())
        m_com->setCurrentIndex(std::max(0, s_settings.gpsComPort - 1));
    m_baud = ChoiceList(kBauds, 5);  // every new window starts at 4800
    m_position = ChoiceList(kPositionFormats, s_settings.gpsPositionFormat);
    m_speed = ChoiceList(kSpeedUnits, s_settings.gpsSpeedUnit);
    m_altitude = ChoiceList(kAltitudeUnits, s_settings.gpsAltitudeUnit);
    settings->addRow("COM port", m_com);
    settings->addRow("Baud rate", m_baud);
    settings->addRow("Position", m_position);
    settings->addRow("Speed", m_speed);
    settings->addRow("Altitude", m_altitude);
    layout->addLayout(settings);
    auto* values = new QFormLayout;
    for (const char* caption : {"Latitude", "Longitude", "Speed", "Altitude", "Date", "Time (GMT)",
                                "Satellites", "HDOP", "Status"}) {
        auto* label = new QLabel("-");
        m_values[caption] = label;
        values->addRow(caption, label);
    }
    layout->addLayout(values);
    m_start = new QPushButton("Start GPS");
    auto* hideButton = new QPushButton("Hide Settings");
    layout->addWidget(m_start);
    layout->addWidget(hideButton);
    m_small = new GpsDataWindow(m_gps, this, parentWidget());
    connect(m_start, &QPushButton::clicked, this, &GpsWindow::StartStop);
    connect(hideButton, &QPushButton::clicked, this, [this] {
        m_small->move(geometry().right() - m_small->width(), geometry().top());
        hide();
        m_small->show();
    });
    for (QComboBox* c : {m_position, m_speed, m_altitude})
        connect(c, &QComboBox::currentIndexChanged, this, &GpsWindow::StoreFormats);
    connect(&m_timer, &QTimer::timeout, this, &GpsWindow::Refresh);
    m_timer.start(200);
    if (parentWidget()) {
        const QRect g = parentWidget()->geometry();
        move(g.right() - 338, g.top() + 70);
    }
    Refresh();
}

GpsWindow::~GpsWindow() {
    m_gps.Stop();
    delete m_small;
}

void GpsWindow::StoreFormats() {
    s_settings.gpsPositionFormat = m_position->currentIndex();
    s_settings.gpsSpeedUnit = m_speed->currentIndex();
    s_settings.gpsAltitudeUnit = m_altitude->currentIndex();
    m_gps.positionFormat = s_settings.gpsPositionFormat;
    m_gps.speedUnit = s_settings.gpsSpeedUnit;
    m_gps.altitudeUnit = s_settings.gpsAltitudeUnit;
    Refresh();
}

void GpsWindow::StartStop() {
    if (m_gps.Running()) {
        m_gps.Stop();
        m_com->setEnabled(true);
        m_baud->setEnabled(true);
        m_start->setText("Start GPS");
        Refresh();
        return;
    }
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    std::string error;
    const int port = LeadingInt(ToUtf8(m_com->currentText().mid(3)));
    const bool ok = m_gps.Start(port, GpsBaudRate(m_baud->currentIndex()), &error, ToUtf8(deviceOverride));
    QGuiApplication::restoreOverrideCursor();
    if (!ok) {
        QMessageBox::critical(this, windowTitle(), FromUtf8(error));
        return;
    }
    m_start->setText("Stop GPS");
    m_com->setEnabled(false);
    m_baud->setEnabled(false);
    StoreFormats();
    s_settings.gpsComPort = m_com->currentIndex() + 1;
}

QString GpsWindow::Value(const QString& caption) const {
    auto it = m_values.find(caption);
    return it == m_values.end() ? QString() : it->second->text();
}

void GpsWindow::Refresh() {
    // The button and the port choice follow the receiver, also when it stopped by itself.
    const bool running = m_gps.Running();
    m_start->setText(running ? "Stop GPS" : "Start GPS");
    m_com->setEnabled(!running);
    m_baud->setEnabled(!running);
    const GpsFix f = m_gps.Fix();
    const std::string status = m_gps.StatusText();
    const int pf = m_position->currentIndex();
    m_values["Latitude"]->setText(FromCp1252(FormatGpsLatitude(f.latitude, f.latHemisphere, pf)));
    m_values["Longitude"]->setText(FromCp1252(FormatGpsLongitude(f.longitude, f.lonHemisphere, pf)));
    m_values["Speed"]->setText(FromUtf8(FormatGpsSpeed(f.speedKnots, m_speed->currentIndex())));
    m_values["Altitude"]->setText(FromUtf8(FormatGpsAltitude(f.altitude, m_altitude->currentIndex())));
    m_values["Date"]->setText(FromUtf8(f.date.size() >= 6 ? GpsDateText(f.date) : f.date));
    m_values["Time (GMT)"]->setText(FromUtf8(GpsTimeText(f.utcTime)));
    m_values["Satellites"]->setText(FromUtf8(Format("%02d", f.satellites)));
    m_values["HDOP"]->setText(FromUtf8(Format("%.1f", f.hdop)));
    m_values["Status"]->setText(FromUtf8(status));
    m_values["Status"]->setStyleSheet("color: " + GpsStatusColour(status).name());
    setWindowTitle(FromUtf8("GPS - " + GpsStatusCaption(status)));
    m_small->Refresh();
}

void GpsWindow::closeEvent(QCloseEvent* e) {
    m_gps.Stop();
    m_small->hide();
    QDialog::closeEvent(e);
}

GpsDataWindow::GpsDataWindow(GpsReceiver& receiver, QWidget* big, QWidget* parent)
    : QDialog(parent), m_gps(receiver) {
    setWindowTitle("GPS Data");
    auto* layout = new QFormLayout(this);
    m_lat = new QLabel;
    m_lon = new QLabel;
    m_alt = new QLabel;
    layout->addRow("Latitude", m_lat);
    layout->addRow("Longitude", m_lon);
    layout->addRow("Altitude", m_alt);
    auto* show = new QPushButton("Show Settings");
    layout->addRow(show);
    connect(show, &QPushButton::clicked, this, [this, big] {
        big->move(geometry().right() - big->width(), geometry().top());
        hide();
        big->show();
    });
}

void GpsDataWindow::Refresh() {
    const GpsFix f = m_gps.Fix();
    const QString colour = "color: " + GpsStatusColour(m_gps.StatusText()).name();
    m_lat->setText(FromCp1252(FormatGpsLatitude(f.latitude, f.latHemisphere, s_settings.gpsPositionFormat)));
    m_lon->setText(
        FromCp1252(FormatGpsLongitude(f.longitude, f.lonHemisphere, s_settings.gpsPositionFormat)));
    m_alt->setText(FromUtf8(FormatGpsAltitude(f.altitude, s_settings.gpsAltitudeUnit)));
    for (QLabel* l : {m_lat, m_lon, m_alt})
        l->setStyleSheet(colour);
    setWindowTitle(FromUtf8("GPS - " + GpsStatusCaption(m_gps.StatusText())));
}

}  // namespace fl
