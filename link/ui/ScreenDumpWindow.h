// "Quarn Screen Dump": reads the instrument's screen on a worker thread and shows, saves, copies or
// prints it.
#pragma once

#include <QDialog>
#include <QImage>
#include <atomic>
#include <memory>
#include <thread>

#include "ScreenDump.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace fl {

class ScreenDumpWindow : public QDialog {
    Q_OBJECT
  public:
    ScreenDumpWindow(CommandChannel& channel, QWidget* parent = nullptr);
    ~ScreenDumpWindow() override;

    void ReadOrAbort();  // "Read Screen" / "Abort"
    void Clear();
    bool SaveImage(const QString& path);
    void CopyToClipboard();
    void Print();
    bool Running() const { return m_bRunning; }
    bool HasPicture() const { return m_bHavePicture; }
    QImage Picture() const { return m_image; }
    QString StatusText() const;

  protected:
    void done(int r) override;

  private:
    void Finished(ScreenDump::Result r);
    void SetOutputsEnabled(bool on);
    void ShowPlaceholder(const QString& text);

    CommandChannel& m_channel;
    ScreenDump m_dump;
    std::thread m_worker;
    std::atomic<bool> m_bRunning{false};
    bool m_bHavePicture = false;
    QImage m_image;
    QLabel* m_picture;
    QProgressBar* m_progress;
    QLabel* m_status;
    QPushButton* m_read;
    QPushButton* m_outputs[4];
};

}  // namespace fl
