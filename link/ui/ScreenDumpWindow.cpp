#include "ScreenDumpWindow.h"
#include "QtText.h"

#include <QApplication>
#include <QClipboard>
#include <QDateTime>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "ImageCodec.h"
#include "PageImage.h"

namespace fl {

ScreenDumpWindow::ScreenDumpWindow(CommandChannel& channel, QWidget* parent, Post post)
    : QDialog(parent), m_channel(channel), m_dump(channel), m_post(std::move(post)) {
    setWindowTitle("Quarn Screen Dump");
    auto* layout = new QGridLayout(this);
    auto* buttons = new QVBoxLayout;
    m_read = new QPushButton("Read Screen");
    buttons->addWidget(m_read);
    const char* names[4] = {"Clear Display", "Save as Image", "Copy to Clipboard", "Print"};
    for (int i = 0; i < 4; ++i) {
        m_outputs[i] = new QPushButton(names[i]);
        buttons->addWidget(m_outputs[i]);
    }
    auto* exit = new QPushButton("Exit");
    buttons->addStretch();
    buttons->addWidget(exit);
    m_picture = new QLabel;
    m_picture->setFixedSize(kScreenWidth, kScreenHeight);
    m_picture->setAlignment(Qt::AlignCenter);
    m_progress = new QProgressBar;
    m_status = new QLabel;
    layout->addLayout(buttons, 0, 0);
    layout->addWidget(m_picture, 0, 1);
    layout->addWidget(m_progress, 1, 1);
    layout->addWidget(m_status, 2, 1);

    connect(m_read, &QPushButton::clicked, this, &ScreenDumpWindow::ReadOrAbort);
    connect(m_outputs[0], &QPushButton::clicked, this, &ScreenDumpWindow::Clear);
    connect(m_outputs[1], &QPushButton::clicked, this, [this] {
        const QString path =
            QFileDialog::getSaveFileName(this, "Save image file", "screen.bmp",
                                         "Images (*.bmp *.jpg *.jpeg *.jp2 *.j2k *.pcx *.png *.ppm "
                                         "*.pgm *.ras *.tga *.tif *.tiff)");
        if (path.isEmpty()) return;
        if (QFileInfo::exists(path) &&
            QMessageBox::question(this, windowTitle(), path + " already exists\nOverwrite?") !=
                QMessageBox::Yes)
            return;
        SaveImage(path);
    });
    connect(m_outputs[2], &QPushButton::clicked, this, &ScreenDumpWindow::CopyToClipboard);
    connect(m_outputs[3], &QPushButton::clicked, this, &ScreenDumpWindow::Print);
    connect(exit, &QPushButton::clicked, this, &QDialog::accept);

    ShowPlaceholder("Press \"Read Screen\" to copy the instrument's display.");
    RunShort([this] { m_dump.Open(); });
    SetOutputsEnabled(false);
}

ScreenDumpWindow::~ScreenDumpWindow() {
    if (m_worker.joinable() || m_bPosted) {
        m_dump.Abort();
        JoinWorker();
    }
}

QString ScreenDumpWindow::StatusText() const {
    return m_status->text();
}

void ScreenDumpWindow::ShowPlaceholder(const QString& text) {
    QImage placeholder(kScreenWidth, kScreenHeight, QImage::Format_RGB32);
    placeholder.fill(QColor(230, 230, 230));
    QPainter p(&placeholder);
    p.setPen(QColor(116, 120, 114));
    p.drawRect(0, 0, kScreenWidth - 1, kScreenHeight - 1);
    p.drawText(placeholder.rect(), Qt::AlignCenter, text);
    p.end();
    m_picture->setPixmap(QPixmap::fromImage(placeholder));
}

void ScreenDumpWindow::SetOutputsEnabled(bool on) {
    for (auto* b : m_outputs)
        b->setEnabled(on);
}

void ScreenDumpWindow::ReadOrAbort() {
    if (m_bRunning) {
        m_dump.Abort();
        JoinWorker();
        m_bRunning = false;
        m_status->clear();
        m_channel.Prompts().Message(kScreenAbortedText, PromptIcon::Information);
        m_dump.ReopenLink();
        m_read->setText("Read Screen");
        return;
    }
    JoinWorker();
    ShowPlaceholder("Reading the colour table...");
    m_progress->setValue(0);
    m_read->setText("Abort");
    SetOutputsEnabled(false);
    m_bHavePicture = false;
    m_bRunning = true;
    StartWorker([this] {
        const auto result = m_dump.ReadScreen([this](int phase, int pos, const std::string& status) {
            // On the worker: copy the line just decoded, in colours, for the window to draw.
            std::vector<uint8_t> row;
            if (phase == 1 && pos > 0) {
                const auto& idx = m_dump.Indices();
                const auto& colours = m_dump.Colours();
                row.resize(kScreenWidth * 3);
                for (int x = 0; x < kScreenWidth; ++x) {
                    const auto& c =
                        colours[idx[static_cast<size_t>(pos - 1) * kScreenWidth + static_cast<size_t>(x)]];
                    std::copy(c.begin(), c.end(), row.begin() + 3 * x);
                }
            }
            QMetaObject::invokeMethod(this, [this, phase, pos, status, row = std::move(row)] {
                m_progress->setRange(0, phase == 0 ? 255 : 479);
                m_progress->setValue(pos);
                m_status->setText(FromCp1252(status));
                if (row.empty()) return;
                if (m_image.isNull() || pos == 1) {
                    m_image = QImage(kScreenWidth, kScreenHeight, QImage::Format_RGB888);
                    m_image.fill(Qt::white);
                }
                std::copy(row.begin(), row.end(), m_image.scanLine(pos - 1));
                if (pos % 16 == 0 || pos == kScreenHeight) m_picture->setPixmap(QPixmap::fromImage(m_image));
            });
        });
        QMetaObject::invokeMethod(this, [this, result] { Finished(result); });
    });
}

void ScreenDumpWindow::StartWorker(std::function<void()> job) {
    if (!m_post) {
        m_worker = std::thread(std::move(job));
        return;
    }
    {
        std::lock_guard lock(m_doneMutex);
        m_bWorkerDone = false;
    }
    m_bPosted = true;
    m_post([this, job = std::move(job)] {
        job();
        {
            std::lock_guard lock(m_doneMutex);
            m_bWorkerDone = true;
        }
        m_doneCv.notify_all();
    });
}

void ScreenDumpWindow::JoinWorker() {
    if (m_worker.joinable()) m_worker.join();
    if (!m_bPosted) return;
    std::unique_lock lock(m_doneMutex);
    m_doneCv.wait(lock, [&] { return m_bWorkerDone; });
    m_bPosted = false;
}

void ScreenDumpWindow::RunShort(const std::function<void()>& job) {
    if (!m_post) return job();
    StartWorker(job);
    JoinWorker();
}

void ScreenDumpWindow::Finished(ScreenDump::Result r) {
    if (!m_bRunning) return;  // aborted: already handled
    m_bRunning = false;
    JoinWorker();
    m_read->setText("Read Screen");
    if (r != ScreenDump::Result::Ok) return;
    const Bitmap24 pic = m_dump.Picture();
    m_image = QImage(pic.rgb.data(), pic.width, pic.height, pic.width * 3, QImage::Format_RGB888).copy();
    m_picture->setPixmap(QPixmap::fromImage(m_image));
    m_status->clear();
    m_bHavePicture = true;
    SetOutputsEnabled(true);
    m_dump.ReopenLink();
}

void ScreenDumpWindow::Clear() {
    ShowPlaceholder("Press \"Read Screen\" to copy the instrument's display.");
    m_progress->setValue(0);
    m_bHavePicture = false;
    SetOutputsEnabled(false);
}

bool ScreenDumpWindow::SaveImage(const QString& path) {
    if (!m_bHavePicture) return false;
    if (ImageFormatFromName(ToUtf8(path)) == IMG_NONE) return false;  // outside the list: nothing saved
    std::string error;
    if (!fl::SaveImage(ToBitmap24(m_image), ToUtf8(path), &error)) {
        m_channel.Prompts().Message(error, PromptIcon::Error);
        return false;
    }
    return true;
}

void ScreenDumpWindow::CopyToClipboard() {
    if (m_bHavePicture) QApplication::clipboard()->setImage(m_image);
}

void ScreenDumpWindow::Print() {
    if (!m_bHavePicture) return;
    QPrinter printer;
    printer.setDocName("Quarn Screen Dump");
    QPrintDialog dlg(&printer, this);
    if (dlg.exec() != QDialog::Accepted) return;
    QPainter p;
    if (!p.begin(&printer)) {
        m_channel.Prompts().Message("Printing error occured. Unable to find printer.", PromptIcon::Error);
        return;
    }
    const QRectF page = printer.pageRect(QPrinter::DevicePixel);
    const double W = page.width(), H = page.height();
    const bool landscape = printer.pageLayout().orientation() == QPageLayout::Landscape;
    const double y = (H - 0.6375 * W) * (landscape ? 0.5 : 0.1);
    p.drawImage(QRectF(0.05 * W, y, 0.9 * W, 0.6375 * W), m_image);
    p.drawText(
        QPointF(0.05 * W, 0.97 * H),
        "Zarnell Communications GmbH  -  " + QDateTime::currentDateTime().toString("dd.MM.yyyy  hh:mm:ss"));
    p.end();
}

void ScreenDumpWindow::done(int r) {
    if (m_bRunning) {
        m_dump.Abort();
        JoinWorker();
        m_bRunning = false;
    }
    JoinWorker();
    RunShort([this] { m_dump.Close(); });
    QDialog::done(r);
}

}  // namespace fl
