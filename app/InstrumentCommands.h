// The Instrument menu's dialogs and the GPS window, on the one instrument: Get Trace, Display Trace, Data
// Transfer, Screen Dump and "Serial for GPS Device...".
#pragma once

#include <QObject>
#include <QPointer>

class QDialog;

namespace fl {

class DocumentCommands;
class DocumentHost;
class Instrument;

class InstrumentCommands : public QObject {
    Q_OBJECT
  public:
    InstrumentCommands(Instrument& instrument, DocumentHost& host, DocumentCommands& documents);
    ~InstrumentCommands() override;

    void GetTrace();
    void DisplayTrace();
    // The Data Transfer dialog on `tab`; offers to connect first.
    void DataTransfer(int tab);
    void ScreenDump();
    // Opens the GPS window, or raises it when it is open.
    void GpsWindow();
    // Closes the GPS window (before the receiver it reads goes).
    void CloseGpsWindow();

  private:
    void RepaintActive();

    Instrument& m_instrument;
    DocumentHost& m_host;
    DocumentCommands& m_documents;
    QPointer<QDialog> m_gpsWindow;
};

}  // namespace fl
