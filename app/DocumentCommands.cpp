#include "DocumentCommands.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMenu>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QRegularExpression>
#include <QSettings>
#include <fstream>

#include "AsciiExport.h"
#include "CChildFrame.h"
#include "ConnectionSettings.h"
#include "ImageCodec.h"
#include "ImageExportDialog.h"
#include "PageCanvas.h"
#include "PageImage.h"
#include "ProgramFolder.h"
#include "QtPrompts.h"
#include "QtText.h"
#include "Text.h"
#include "VectorPage.h"

namespace fl {

namespace {
constexpr const char* kTitle = "Quarn Fieldlink Software";

// A default folder under the user's documents is made when a dialog first offers it (a folder, or the
// folder of a proposed file).
QString OfferedFolder(const QString& folder) {
    MakeUserFilesFolder(ToUtf8(QDir::cleanPath(folder)));
    return folder;
}
QString OfferedPath(const QString& path) {
    MakeUserFilesFolder(ToUtf8(path.endsWith('/') ? QDir::cleanPath(path) : QFileInfo(path).absolutePath()));
    return path;
}
constexpr const char* kTraceFilter = "Quarn Trace Files ( *.qtm ; *.qtr ) (*.qtm *.qtr *.QTM *.QTR)";
constexpr const char* kPrintFailed = "Printing failed.";
}  // namespace

QStringList FileDialogs::OpenFiles(QWidget* parent, const QString& folder) {
    return QFileDialog::getOpenFileNames(parent, "Open", OfferedFolder(folder), kTraceFilter);
}

QString FileDialogs::SaveFile(QWidget* parent, const QString& title, const QString& proposal,
                              const QString& filter, QString* selectedFilter) {
    // The caller asks before overwriting, once.
    return QFileDialog::getSaveFileName(parent, title, OfferedPath(proposal), filter, selectedFilter,
                                        QFileDialog::DontConfirmOverwrite);
}

QString FileDialogs::OpenFile(QWidget* parent, const QString& title, const QString& folder,
                              const QString& filter) {
    return QFileDialog::getOpenFileName(parent, title, OfferedFolder(folder), filter);
}

QString FileDialogs::SaveFileReplacing(QWidget* parent, const QString& title, const QString& proposal,
                                       const QString& filter) {
    return QFileDialog::getSaveFileName(parent, title, OfferedPath(proposal), filter);
}

DocumentCommands::DocumentCommands(DocumentHost& host, QtPrompts& prompts)
    : m_host(host), m_prompts(prompts), m_files(std::make_unique<FileDialogs>()) {}

DocumentCommands::~DocumentCommands() = default;

bool DocumentCommands::OpenFile(const QString& path) {
    auto doc = std::make_shared<CMyQuarnDoc>();
    const LoadResult r = doc->Load(ToUtf8(path));
    if (r.status == LoadStatus::UnsupportedFormat) {
        m_prompts.Message(r.message, PromptIcon::None);
        m_host.AddFrame(doc);  // the document still opens, with its constructed values
        return false;
    }
    if (!r.ok()) {
        m_prompts.Message(r.message, PromptIcon::Error);
        return false;
    }
    m_host.AddFrame(doc);
    AddRecentFile(path);
    return true;
}

void DocumentCommands::Open() {
    const QStringList files = m_files->OpenFiles(m_host.Window(), FromUtf8(s_settings.folderTraces));
    for (const QString& f : files)
        OpenFile(f);
    // The folder opened from is where the next Open and the next Save dialog start.
    if (!files.isEmpty()) {
        s_settings.folderTraces = ToUtf8(QFileInfo(files.first()).absolutePath());
        s_docEnv.modifiedTraceFolder = s_settings.folderTraces;
    }
    if (auto* f = m_host.ActiveFrame()) f->View()->update();
}

bool DocumentCommands::Save(bool saveAs) {
    CChildFrame* frame = m_host.ActiveFrame();
    if (!frame) return false;
    CMyQuarnDoc& doc = frame->Document();
    if (saveAs) doc.SaveAsCommand();
    const SavePlan plan = doc.PlanSave(doc.m_strPathName, s_docEnv);
    std::string error;
    bool ok;
    if (plan.askName) {
        const QString proposal = FromUtf8(plan.startFolder) + "/" + FromCp1252(plan.proposedFileName);
        QString chosen =
            m_files->SaveFile(m_host.Window(), "Save As", proposal, "Quarn Trace Files ( *.qtm ) (*.qtm)");
        if (chosen.isEmpty()) return false;
        if (!chosen.endsWith(".qtm", Qt::CaseInsensitive)) chosen += ".qtm";
        ok = doc.SaveAsChosen(ToUtf8(chosen), s_docEnv, &error);
        if (ok) {
            AddRecentFile(chosen);
            // The folder chosen is the traces folder of the next Open and Save.
            s_settings.folderTraces = ToUtf8(QFileInfo(chosen).absolutePath());
        }
    } else {
        ok = doc.WriteTo(doc.m_strPathName, &error);
    }
    if (!ok) m_prompts.Message(PathTextToCp1252(error), PromptIcon::Error);
    for (CChildFrame* f : m_host.Frames())
        if (&f->Document() == &doc) f->UpdateTitle();
    return ok;
}

bool DocumentCommands::Confirmed(CChildFrame* f) {
    const QString title = FromCp1252(f->Document().GetTitle());
    const QString question = "Save changes to " + title + "?";
    if (m_prompts.scripted)
        return m_prompts.scripted(question) ? Save(false) : true;  // Yes saves, No discards
    const auto answer = QMessageBox::question(m_host.Window(), kTitle, question,
                                              QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    if (answer == QMessageBox::Cancel) return false;
    if (answer == QMessageBox::Yes) {
        m_host.Activate(f);
        return Save(false);
    }
    return true;
}

bool DocumentCommands::ConfirmClose(CChildFrame* f) {
    if (!f->Document().IsModified()) return true;
    for (CChildFrame* other : m_host.Frames())
        if (other != f && &other->Document() == &f->Document()) return true;  // another window keeps it
    return Confirmed(f);
}

bool DocumentCommands::ConfirmCloseAll(const QList<CChildFrame*>& frames) {
    // One question per modified document, even when several windows show it.
    QList<CChildFrame*> asking;
    for (CChildFrame* f : frames) {
        if (!f->Document().IsModified()) continue;
        const bool seen = std::any_of(asking.begin(), asking.end(),
                                      [&](CChildFrame* a) { return &a->Document() == &f->Document(); });
        if (!seen) asking << f;
    }
    if (asking.size() <= 1) return asking.isEmpty() || Confirmed(asking.front());
    enum { None, SaveAll, DiscardAll } all = None;
    for (CChildFrame* f : asking) {
        if (all == DiscardAll) break;
        QString answer = "Yes";
        if (all == None) {
            const QString question = "Save changes to " + FromCp1252(f->Document().GetTitle()) + "?";
            const QStringList buttons = {"Yes", "Yes to All", "No", "No to All", "Cancel"};
            if (m_prompts.scriptedChoice) {
                answer = m_prompts.scriptedChoice(question, buttons);
            } else if (m_prompts.scripted) {  // scripted with yes or no alone
                answer = m_prompts.scripted(question) ? "Yes" : "No";
            } else {
                const auto b =
                    QMessageBox::question(m_host.Window(), kTitle, question,
                                          QMessageBox::Yes | QMessageBox::YesToAll | QMessageBox::No |
                                              QMessageBox::NoToAll | QMessageBox::Cancel);
                answer = b == QMessageBox::Yes        ? "Yes"
                         : b == QMessageBox::YesToAll ? "Yes to All"
                         : b == QMessageBox::No       ? "No"
                         : b == QMessageBox::NoToAll  ? "No to All"
                                                      : "Cancel";
            }
            if (answer == "Cancel") return false;
            if (answer == "Yes to All") all = SaveAll;
            if (answer == "No to All") all = DiscardAll;
        }
        if (answer == "Yes" || answer == "Yes to All") {
            m_host.Activate(f);
            if (!Save(false)) return false;  // nothing is lost: the program stays open
        }
    }
    return true;
}

void DocumentCommands::CloseAll() {
    if (!m_prompts.YesNo("Are you sure you want to close all open documents?")) return;
    while (CChildFrame* f = m_host.ActiveFrame())
        if (!f->close()) break;
    m_host.CloseMarkerWindow();
}

void DocumentCommands::ExportAscii() {
    CChildFrame* frame = m_host.ActiveFrame();
    if (!frame) return;
    const CMyQuarnDoc& doc = frame->Document();
    const QString proposal =
        FromUtf8(s_settings.folderExport) + "/" + FromCp1252(ProposeAsciiFileName(doc.m_strTraceName));
    QString path = m_files->SaveFile(m_host.Window(), kAsciiSaveTitle, proposal, "Text (*.TXT *.txt)");
    if (path.isEmpty()) return;
    if (QFileInfo(path).suffix().isEmpty()) path += ".TXT";  // a name typed without an extension
    std::string error;
    if (!WriteAsciiReport(doc, ToUtf8(path), true, &error))
        m_prompts.Message(PathTextToCp1252(error), PromptIcon::Error);
}

QList<QSize> DocumentCommands::ImageSizes(const QSize& window, const QSize& page) {
    QList<QSize> sizes;
    const double aspect = page.height() > 0 ? static_cast<double>(page.width()) / page.height() : 4.0 / 3.0;
    for (int w : {window.width(), 1024, 1600, 2400, 3200}) {
        const QSize s(std::max(200, w),
                      std::max(150, static_cast<int>(std::lround(std::max(200, w) / aspect))));
        if (!sizes.contains(s)) sizes << s;
    }
    return sizes;
}

void DocumentCommands::ExportImage() {
    CChildFrame* frame = m_host.ActiveFrame();
    if (!frame) return;
    CMyQuarnDoc& doc = frame->Document();
    // The proposal: the file name without its trace extension, "active" for the active trace, in the
    // export folder.
    // A path is the file system's UTF-8, a trace name instrument text.
    QString name = doc.m_strPathName.empty() ? FromCp1252(doc.m_strTraceName) : FromUtf8(doc.m_strPathName);
    for (const char* ext : {".qtr", ".qtm"})
        if (name.size() > 4 && name.endsWith(ext, Qt::CaseInsensitive)) name.chop(4);
    if (name.contains("active ")) name = "active";
    if (doc.m_strPathName.empty() && name.contains('/')) name.clear();
    name = name.mid(name.lastIndexOf('/') + 1);
    QStringList filters;
    QString bmp;
    for (const auto& row : ImageFormatTable()) {
        const QString patterns = FromUtf8(row.pattern).replace(';', ' ');
        filters << QString("%1 (%2)").arg(row.description, patterns);
        if (row.id == IMG_BMP) bmp = filters.last();
    }
    // Vector pages for reports and documents, drawn by the same routine.
    filters << "PDF page (*.pdf)"
            << "SVG page (*.svg)";
    QString chosenFilter = bmp;  // "BMP - Windows Bitmap" preselected
    const QString folder =
        s_settings.folderExport.empty() ? QDir::homePath() : FromUtf8(s_settings.folderExport);
    QString path = m_files->SaveFile(m_host.Window(), "Save image file", folder + "/" + name + ".bmp",
                                     filters.join(";;"), &chosenFilter);
    if (path.isEmpty()) return;
    // A name typed without an extension takes the chosen filter's first one.
    if (QFileInfo(path).suffix().isEmpty()) {
        const QRegularExpressionMatch m = QRegularExpression(R"(\*\.(\w+))").match(chosenFilter);
        path +=
            "." + (m.hasMatch() && !chosenFilter.startsWith("Supported") ? m.captured(1) : QString("bmp"));
    }
    const bool vector = IsVectorPageName(ToUtf8(path));
    if (!vector && ImageFormatFromName(ToUtf8(path)) == IMG_NONE) {
        m_prompts.Message(ToCp1252(QFileInfo(path).suffix() + " is not an image format Fieldlink can write."),
                          PromptIcon::Warning);
        return;
    }
    if (QFileInfo::exists(path) && !m_prompts.YesNo(ToCp1252(path + " already exists\nOverwrite?"))) return;
    s_settings.folderExport = ToUtf8(QFileInfo(path).absolutePath());
    // The size (bitmaps: the window's or a standard one, always at the page's aspect), and for a zoomed
    // window whether the graph is drawn as shown. A vector page of a whole view asks nothing.
    const ViewZoom zoom = frame->View()->Zoom();
    const QList<QSize> sizes =
        vector ? QList<QSize>{}
               : ImageSizes(frame->View()->size(), QSize(doc.m_sizePage.cx, doc.m_sizePage.cy));
    RenderOptions options = CMyQuarnView::CurrentRenderOptions();
    QSize size;
    if (!vector || !zoom.Fit()) {
        ImageExportDialog ask(sizes, !zoom.Fit(), m_host.Window());
        if (m_prompts.Exec(ask) != QDialog::Accepted) return;
        size = ask.ChosenSize();
        if (ask.AsShown()) options.zoom = zoom;
    }
    std::string error;
    if (vector) {
        // An A4 page in the document's orientation; the page keeps its aspect inside it.
        const bool landscape = doc.m_nOrientation != 0;
        if (!SaveVectorPage(doc, ToUtf8(path), landscape ? 842 : 595, landscape ? 595 : 842, options, &error))
            m_prompts.Message(PathTextToCp1252(error), PromptIcon::Error);
        return;
    }
    if (!SaveImage(ToBitmap24(RenderPageImage(doc, size.width(), size.height(), options)), ToUtf8(path),
                   &error))
        m_prompts.Message(PathTextToCp1252(error), PromptIcon::Error);
}

QPrinter& DocumentCommands::Printer() {
    if (!m_printer) m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *m_printer;
}

bool DocumentCommands::PrintDocument(QPrinter& printer, CChildFrame* frame, QPainter* painter) {
    CMyQuarnDoc& doc = frame->Document();
    QPainter own;
    QPainter* p = painter;
    if (!p) {
        // The orientation is the print dialog's (proposed by AskPrinter), whatever the user made of it.
        if (!own.begin(&printer)) return false;
        p = &own;
    }
    const QRect page = printer.pageRect(QPrinter::DevicePixel).toRect();
    RenderPrintPage(*p, QRectF(0, 0, page.width(), page.height()), doc, CMyQuarnView::CurrentRenderOptions());
    return true;
}

bool DocumentCommands::AskPrinter(CChildFrame* first) {
    QPrinter& printer = Printer();
    printer.setFromTo(1, 1);  // one page per trace window
    printer.setPageOrientation(OrientationFor(first));
    QPrintDialog dlg(&printer, m_host.Window());
    dlg.setMinMax(1, 1);
    return m_prompts.Exec(dlg) == QDialog::Accepted;
}

void DocumentCommands::Print() {
    CChildFrame* active = m_host.ActiveFrame();
    if (!active || !AskPrinter(active)) return;
    if (!PrintDocument(Printer(), active)) m_prompts.Message(kPrintFailed, PromptIcon::Error);
}

void DocumentCommands::PrintOpenDocuments() {
    CChildFrame* active = m_host.ActiveFrame();
    if (!active || !AskPrinter(active)) return;
    QPrinter& printer = Printer();
    // One dialog for every trace window: the active one first, then the others in window order, a page
    // each in its own orientation.
    QList<CChildFrame*> frames = m_host.Frames();
    const qsizetype at = frames.indexOf(active);
    QList<CChildFrame*> order = frames.mid(at) + frames.mid(0, at);
    QPainter painter;
    if (!painter.begin(&printer)) {
        m_prompts.Message(kPrintFailed, PromptIcon::Error);
        return;
    }
    for (int i = 0; i < order.size(); ++i) {
        if (i > 0) {
            if (!m_setupOrientation) printer.setPageOrientation(OrientationFor(order[i]));
            printer.newPage();
        }
        PrintDocument(printer, order[i], &painter);
    }
}

void DocumentCommands::PrintPreview() {
    CChildFrame* frame = m_host.ActiveFrame();
    if (!frame) return;
    QPrinter& printer = Printer();
    printer.setPageOrientation(OrientationFor(frame));
    QPrintPreviewDialog preview(&printer, m_host.Window());
    QPointer<CChildFrame> target = frame;
    connect(&preview, &QPrintPreviewDialog::paintRequested, this, [this, target](QPrinter* p) {
        if (!target) return;
        QPainter painter;
        if (painter.begin(p)) PrintDocument(*p, target, &painter);
    });
    m_prompts.Exec(preview);
}

void DocumentCommands::PrintSetup() {
    QPrinter& printer = Printer();
    if (CChildFrame* f = m_host.ActiveFrame()) printer.setPageOrientation(OrientationFor(f));
    const QPageLayout::Orientation proposed = printer.pageLayout().orientation();
    QPageSetupDialog dlg(&printer, m_host.Window());
    // An orientation the user chose here holds for the prints of this session, over each page's own.
    if (m_prompts.Exec(dlg) == QDialog::Accepted && printer.pageLayout().orientation() != proposed)
        m_setupOrientation = printer.pageLayout().orientation();
}

QPageLayout::Orientation DocumentCommands::OrientationFor(CChildFrame* frame) const {
    if (m_setupOrientation) return *m_setupOrientation;
    return frame->Document().m_nOrientation ? QPageLayout::Landscape : QPageLayout::Portrait;
}

void DocumentCommands::CopyGraph() {
    if (CChildFrame* f = m_host.ActiveFrame())
        QApplication::clipboard()->setImage(f->View()->grab().toImage());
}

void DocumentCommands::CopyData() {
    CChildFrame* frame = m_host.ActiveFrame();
    if (!frame) return;
    // The report with tabs goes through "~C2CBData.tmp"; its lines are joined with line feeds.
    const std::string tmp = ProgramFile(kClipboardDataFile);
    std::string error;
    if (!WriteAsciiReport(frame->Document(), tmp, false, &error)) {
        QApplication::clipboard()->clear();
        return;
    }
    std::string text;
    std::ifstream in(tmp, std::ios::binary);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        text += line + "\n";
    }
    in.close();
    std::remove(tmp.c_str());
    QApplication::clipboard()->setText(FromCp1252(text));
}

void DocumentCommands::SetRecentMenu(QMenu* menu) {
    m_recentMenu = menu;
    FillRecentFiles();
}

void DocumentCommands::AddRecentFile(const QString& path) {
    QSettings s("Zarnell", "Fieldlink");
    QStringList files = s.value("Recent File List").toStringList();
    files.removeAll(path);
    files.prepend(path);
    while (files.size() > 4)
        files.removeLast();
    s.setValue("Recent File List", files);
    FillRecentFiles();
}

void DocumentCommands::FillRecentFiles() {
    if (!m_recentMenu) return;
    m_recentMenu->clear();
    QSettings s("Zarnell", "Fieldlink");
    int n = 1;
    for (const QString& f : s.value("Recent File List").toStringList()) {
        QAction* a = m_recentMenu->addAction(QString("&%1 %2").arg(n++).arg(f));
        connect(a, &QAction::triggered, this, [this, f] { OpenFile(f); });
    }
    m_recentMenu->setEnabled(!m_recentMenu->isEmpty());
}

}  // namespace fl
