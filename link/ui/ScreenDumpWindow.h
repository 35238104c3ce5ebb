// "Quarn Screen Dump": reads the instrument's screen on a worker thread and shows, saves, copies or
// prints it.
#pragma once

#include <QDialog>
#include <QImage>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "ScreenDump.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace fl {

class ScreenDumpWindow : public QDialog {
    Q_OBJECT
  public:
    // `post` hands the window's instrument work to the program's instrument session; without it the
    // reading runs on a thread of its own and the short exchanges here.
    using Post = std::function<void(std::function<void()>)>;
    ScreenDumpWindow(CommandChannel& channel, QWidget* parent = nullptr, Post post = {});
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
    void StartWorker(std::function<void()> job);
    void JoinWorker();
    // A short piece of instrument work (opening, closing), waited for.
    void RunShort(const std::function<void()>& job);
    void SetOutputsEnabled(bool on);
    void ShowPlaceholder(const QString& text);

    CommandChannel& m_channel;
    ScreenDump m_dump;
    std::thread m_worker;
    Post m_post;
    std::mutex m_doneMutex;
    std::condition_variable m_doneCv;
    bool m_bWorkerDone = true;  // guarded by m_doneMutex
    bool m_bPosted = false;
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
