// One program per user and data folder: a second start with files hands them to the running program over
// a local socket and ends, so double-clicked files open as windows of the program already open.
#pragma once

#include <QLocalServer>
#include <QObject>
#include <QStringList>
#include <functional>

namespace fl {

class SingleInstance : public QObject {
    Q_OBJECT
  public:
    // The socket name: this user's, for this data folder (FIELDLINK_HOME or the default).
    static QString Name();
    // Hands `files` (absolute paths) to a running program; false when none answers.
    static bool HandOver(const QStringList& files, const QString& name = Name());

    // Listens for later starts; `open` gets the files each one hands over.
    explicit SingleInstance(std::function<void(const QStringList&)> open, const QString& name = Name(),
                            QObject* parent = nullptr);
    bool Listening() const { return m_server.isListening(); }

  private:
    QLocalServer m_server;
    std::function<void(const QStringList&)> m_open;
};

}  // namespace fl
