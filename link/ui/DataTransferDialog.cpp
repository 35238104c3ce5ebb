#include "DataTransferDialog.h"

#include <QThread>

#include <QApplication>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QTabBar>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>
#include <filesystem>

#include "ConnectionSettings.h"
#include "PageCanvas.h"
#include "Text.h"

namespace fl {

namespace {

QTreeWidget* MakeList(const QStringList& columns, const QList<int>& widths) {
    auto* t = new QTreeWidget;
    t->setColumnCount(columns.size());
    t->setHeaderLabels(columns);
    for (int i = 0; i < widths.size(); ++i)
        t->setColumnWidth(i, widths[i]);
    t->setRootIsDecorated(false);
    t->setSelectionMode(QAbstractItemView::ExtendedSelection);
    return t;
}

QPushButton* Button(const QString& text, QLayout* into) {
    auto* b = new QPushButton(text);
    into->addWidget(b);
    return b;
}

}  // namespace

DataTransferDialog::DataTransferDialog(CommandChannel& channel, int initialTab, QWidget* parent,
                                       JobRunner runner, std::function<bool()> cancelled)
    : QDialog(parent),
      m_channel(channel),
      m_transfer(channel),
      m_runJob(std::move(runner)),
      m_jobCancelled(std::move(cancelled)) {
    m_kinds = KindsForModel(s_strConnectedModel);
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    m_left = Button("<<", top);
    m_tabs = new QTabBar;
    for (const FileKind* k : m_kinds)
        m_tabs->addTab(FromUtf8(k->title));
    top->addWidget(m_tabs, 1);
    m_right = Button(">>", top);
    layout->addLayout(top);

    auto* grid = new QGridLayout;
    m_instrument = MakeList({"Name", "Date", "Time"}, {112, 81, 54});
    m_pc = MakeList({"Name", "Date", "Time"}, {142, 81, 54});
    m_pc->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    auto* instButtons = new QHBoxLayout;
    auto* instDelete = Button("D", instButtons);
    auto* instRefresh = Button("R", instButtons);
    auto* instAll = Button("Select all", instButtons);
    auto* middle = new QVBoxLayout;
    auto* toPc = Button("copy >", middle);
    auto* toInst = Button("< copy", middle);
    middle->addStretch();
    auto* pcButtons = new QHBoxLayout;
    auto* pcDelete = Button("D", pcButtons);
    auto* pcRefresh = Button("R", pcButtons);
    auto* pcAll = Button("Select all", pcButtons);
    auto* browse = Button("...", pcButtons);
    auto* up = Button("up", pcButtons);
    auto* newFolder = new QPushButton(QFileIconProvider().icon(QFileIconProvider::Folder), "");
    newFolder->setToolTip("New Folder");
    pcButtons->addWidget(newFolder);
    auto* open = Button("O", pcButtons);
    m_folderBox = new QComboBox;
    m_folderBox->setEditable(true);
    grid->addWidget(new QLabel("Instrument"), 0, 0);
    grid->addWidget(m_folderBox, 0, 2);
    grid->addWidget(m_instrument, 1, 0);
    grid->addLayout(middle, 1, 1);
    grid->addWidget(m_pc, 1, 2);
    grid->addLayout(instButtons, 2, 0);
    grid->addLayout(pcButtons, 2, 2);
    layout->addLayout(grid);
    auto* close = new QPushButton("Close");
    layout->addWidget(close, 0, Qt::AlignRight);

    connect(m_tabs, &QTabBar::currentChanged, this, &DataTransferDialog::SelectTab);
    connect(m_left, &QPushButton::clicked, this, [this] { m_tabs->setCurrentIndex(m_tab - 1); });
    connect(m_right, &QPushButton::clicked, this, [this] { m_tabs->setCurrentIndex(m_tab + 1); });
    connect(instDelete, &QPushButton::clicked, this, [this] { DeleteInstrumentSelection(); });
    connect(instRefresh, &QPushButton::clicked, this, &DataTransferDialog::RefreshInstrument);
    connect(instAll, &QPushButton::clicked, m_instrument, &QTreeWidget::selectAll);
    connect(toPc, &QPushButton::clicked, this, &DataTransferDialog::CopyToPc);
    connect(toInst, &QPushButton::clicked, this, &DataTransferDialog::CopyToInstrument);
    connect(pcDelete, &QPushButton::clicked, this, [this] { DeletePcSelection(); });
    connect(pcRefresh, &QPushButton::clicked, this, &DataTransferDialog::RefreshPc);
    connect(pcAll, &QPushButton::clicked, m_pc, &QTreeWidget::selectAll);
    connect(browse, &QPushButton::clicked, this, [this] {
        const QString dir = QFileDialog::getExistingDirectory(this, "Please select a folder", m_folder);
        if (!dir.isEmpty()) SetPcFolder(dir);
    });
    connect(up, &QPushButton::clicked, this, &DataTransferDialog::Up);
    connect(newFolder, &QPushButton::clicked, this, &DataTransferDialog::NewFolder);
    connect(open, &QPushButton::clicked, this, [this] {
        // The selected entry (the current one when several are selected).
        QTreeWidgetItem* item = m_pc->currentItem();
        const QList<QTreeWidgetItem*> selected = m_pc->selectedItems();
        if (!selected.isEmpty() && !selected.contains(item)) item = selected.first();
        if (item) OpenPcEntry(item->text(0));
    });
    connect(m_pc, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { OpenPcEntry(item->text(0)); });
    connect(m_pc, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int column) {
        // Renaming in place: an empty new name changes nothing.
        const QString old = item->data(0, Qt::UserRole).toString();
        const QString now = item->text(column);
        if (column != 0 || old.isEmpty() || now.isEmpty() || now == old || now.contains('/')) return;
        QDir(m_folder).rename(old, now);
        RefreshPc();
    });
    connect(m_folderBox, &QComboBox::textActivated, this, [this](const QString& f) { SetPcFolder(f); });
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    bool ok = false;
    Job("Data Transfer", [&] {
        std::string ignored;
        ok = m_channel.Transact("SYST:COMM:ECH ON", ignored);
    });
    m_tab = std::clamp(initialTab, 0, static_cast<int>(m_kinds.size()) - 1);
    m_tabs->blockSignals(true);
    m_tabs->setCurrentIndex(m_tab);
    m_tabs->blockSignals(false);
    setWindowTitle(m_folder);
    if (ok) SelectTab(m_tab);
    UpdateArrows();
}

void DataTransferDialog::UpdateArrows() {
    m_left->setEnabled(m_tab > 0);
    m_right->setEnabled(m_tab < static_cast<int>(m_kinds.size()) - 1);
}

void DataTransferDialog::SelectTab(int index) {
    if (index < 0 || index >= static_cast<int>(m_kinds.size())) return;
    m_tab = index;
    if (m_tabs->currentIndex() != index) m_tabs->setCurrentIndex(index);
    UpdateArrows();
    RefreshInstrument();
    QString folder = FromUtf8(s_settings.*(Kind().folder));
    if (folder.isEmpty()) folder = FromUtf8(DocumentsFolder());
    SetPcFolder(folder);
}

void DataTransferDialog::SetPcFolder(const QString& folder) {
    m_folder = QDir::cleanPath(folder);
    // A default folder under the user's documents is made when first shown.
    MakeUserFilesFolder(ToUtf8(m_folder));
    s_settings.*(Kind().folder) = ToUtf8(m_folder);  // every change is kept for this kind
    setWindowTitle(m_folder);
    if (m_folderBox->findText(m_folder) < 0) m_folderBox->insertItem(0, m_folder);
    m_folderBox->setCurrentText(m_folder);
    RefreshPc();
}

void DataTransferDialog::RefreshInstrument() {
    m_instrument->clear();
    std::vector<InstrumentEntry> entries;
    Job("Data Transfer", [&] { m_transfer.ListInstrument(Kind(), entries); });
    for (const auto& e : entries)
        m_instrument->addTopLevelItem(
            new QTreeWidgetItem({FromCp1252(e.name), FromCp1252(e.date), FromCp1252(e.time)}));
}

void DataTransferDialog::RefreshPc() {
    m_pc->blockSignals(true);
    m_pc->clear();
    QFileIconProvider icons;
    for (const auto& e : ListPcFolder(ToUtf8(m_folder), Kind())) {
        auto* item = new QTreeWidgetItem({FromUtf8(e.name), FromUtf8(e.date), FromUtf8(e.time)});
        item->setIcon(0, icons.icon(QFileInfo(m_folder + "/" + FromUtf8(e.name))));
        item->setData(0, Qt::UserRole, FromUtf8(e.name));
        item->setFlags(item->flags() | Qt::ItemIsEditable);
        m_pc->addTopLevelItem(item);
    }
    m_pc->blockSignals(false);
}

QStringList DataTransferDialog::InstrumentNames() const {
    QStringList names;
    for (int i = 0; i < m_instrument->topLevelItemCount(); ++i)
        names << m_instrument->topLevelItem(i)->text(0);
    return names;
}

QStringList DataTransferDialog::PcNames() const {
    QStringList names;
    for (int i = 0; i < m_pc->topLevelItemCount(); ++i)
        names << m_pc->topLevelItem(i)->text(0);
    return names;
}

void DataTransferDialog::SelectInstrument(const QStringList& names) {
    for (int i = 0; i < m_instrument->topLevelItemCount(); ++i)
        m_instrument->topLevelItem(i)->setSelected(names.contains(m_instrument->topLevelItem(i)->text(0)));
}

void DataTransferDialog::SelectPc(const QStringList& names) {
    for (int i = 0; i < m_pc->topLevelItemCount(); ++i)
        m_pc->topLevelItem(i)->setSelected(names.contains(m_pc->topLevelItem(i)->text(0)));
}

bool DataTransferDialog::Job(const std::string& title, const std::function<void()>& job) {
    if (m_runJob) return m_runJob(title, job);
    job();
    return true;
}

template <class F>
auto DataTransferDialog::OnDialogThread(F f) {
    if (QThread::currentThread() == thread()) return f();
    decltype(f()) result{};
    QMetaObject::invokeMethod(
        this, [&] { result = f(); }, Qt::BlockingQueuedConnection);
    return result;
}

DuplicateRule DataTransferDialog::MakeRule(bool toInstrument) {
    DuplicateRule rule;
    rule.ask = [this, toInstrument](const std::string& name) {
        return OnDialogThread([&] { return Ask(name, toInstrument); });
    };
    rule.rename = [this, toInstrument](std::string& name) {
        return OnDialogThread([&] { return AskName(name, toInstrument); });
    };
    return rule;
}

// Names going to the instrument are instrument text; names going to the PC are PC file names (UTF-8).
DuplicateAnswer DataTransferDialog::Ask(const std::string& name, bool toInstrument) {
    {
        if (scriptedAnswer) return scriptedAnswer(name);
        const QString shown = toInstrument ? FromCp1252(name) : FromUtf8(name);
        QMessageBox box(QMessageBox::Question, "Filetransfer - " + shown,
                        shown + " already exists.\nOverwrite?", QMessageBox::NoButton, this);
        auto* yes = box.addButton("Yes", QMessageBox::YesRole);
        auto* no = box.addButton("No", QMessageBox::NoRole);
        auto* yesAll = box.addButton("Yes to All", QMessageBox::YesRole);
        auto* noAll = box.addButton("No to All", QMessageBox::NoRole);
        auto* rename = box.addButton("Rename", QMessageBox::ActionRole);
        box.addButton("Cancel", QMessageBox::RejectRole);
        box.exec();
        const auto* c = box.clickedButton();
        return c == yes      ? DuplicateAnswer::Yes
               : c == no     ? DuplicateAnswer::No
               : c == yesAll ? DuplicateAnswer::YesToAll
               : c == noAll  ? DuplicateAnswer::NoToAll
               : c == rename ? DuplicateAnswer::Rename
                             : DuplicateAnswer::Cancel;
    }
}

bool DataTransferDialog::AskName(std::string& name, bool toInstrument) {
    {
        if (scriptedRename) return scriptedRename(name);
        QInputDialog dlg(this);
        dlg.setWindowTitle("Filename");
        dlg.setLabelText("Insert new filename ( max. 11 ):");
        dlg.setTextValue(toInstrument ? FromCp1252(name) : FromUtf8(name));
        if (toInstrument) {
            // Forbidden characters go and the text stays within 11 characters as it is typed.
            connect(&dlg, &QInputDialog::textValueChanged, &dlg, [&dlg](const QString& t) {
                const QString filtered = FromCp1252(FilterInstrumentName(ToCp1252(t)));
                if (filtered != t) dlg.setTextValue(filtered);
            });
        }
        if (dlg.exec() != QDialog::Accepted || dlg.textValue().isEmpty()) return false;
        name = toInstrument ? ToCp1252(dlg.textValue()) : ToUtf8(dlg.textValue());
        return true;
    }
}

// The progress window of one copy batch; closing it sets the cancel flag the transfer tests.
void DataTransferDialog::WatchProgress(QProgressDialog& progress) {
    progress.setMinimumDuration(300);
    m_transfer.cancel = false;
    if (m_runJob) {
        // In a job: the job's own progress window, whose Cancel ends the batch between lines.
        progress.cancel();
        m_transfer.progress = [this, title = std::make_shared<std::string>()](const std::string& t, int pos,
                                                                              int range) {
            if (t != *title) m_channel.Prompts().ProgressBegin(*title = t, std::max(range, 1));
            m_channel.Prompts().ProgressStep(std::min(pos, range));
            if (m_jobCancelled && m_jobCancelled()) m_transfer.cancel = true;
        };
        return;
    }
    m_transfer.progress = [this, &progress](const std::string& title, int pos, int range) {
        progress.setLabelText(FromCp1252(title));
        progress.setRange(0, std::max(range, 1));
        progress.setValue(std::min(pos, range));
        QApplication::processEvents();
        if (progress.wasCanceled()) m_transfer.cancel = true;
    };
}

void DataTransferDialog::LockForBatch(bool locked) {
    // While a batch runs nothing may change the kind, the lists or the folder under it.
    for (QWidget* w :
         std::initializer_list<QWidget*>{m_tabs, m_left, m_right, m_instrument, m_pc, m_folderBox})
        w->setEnabled(!locked);
    for (QPushButton* b : findChildren<QPushButton*>())
        if (b->window() == this) b->setEnabled(!locked);
    if (!locked) UpdateArrows();
}

void DataTransferDialog::CopyToPc() {
    LockForBatch(true);
    QProgressDialog progress(this);
    WatchProgress(progress);
    DuplicateRule rule = MakeRule(false);
    std::vector<std::string> present, names;
    for (const QString& n : PcNames())
        present.push_back(ToUtf8(n));
    for (auto* item : m_instrument->selectedItems())
        names.push_back(ToCp1252(item->text(0)));
    DataTransfer::BatchResult result;
    Job("Data Transfer",
        [&] { result = m_transfer.CopyToPc(Kind(), names, ToUtf8(m_folder), present, rule); });
    for (const auto& n : result.skipped)
        m_channel.Prompts().Message(n + ": this name cannot be a file name on the PC.", PromptIcon::Warning);
    m_transfer.progress = {};
    LockForBatch(false);
    RefreshPc();
}

void DataTransferDialog::CopyToInstrument() {
    LockForBatch(true);
    QProgressDialog progress(this);
    WatchProgress(progress);
    DuplicateRule rule = MakeRule(true);
    std::vector<std::string> present, files;
    for (const QString& n : InstrumentNames())
        present.push_back(ToCp1252(n));
    for (auto* item : m_pc->selectedItems())
        if (!item->text(1).isEmpty())  // folders are skipped
            files.push_back(ToUtf8(m_folder + "/" + item->data(0, Qt::UserRole).toString()));
    DataTransfer::BatchResult result;
    Job("Data Transfer", [&] { result = m_transfer.CopyToInstrument(Kind(), files, present, rule); });
    for (const auto& f : result.skipped)
        m_channel.Prompts().Message(PathTextToCp1252(std::filesystem::path(f).filename().string()) +
                                        ": no instrument name can be made from it (a double quote, or a "
                                        "character Windows-1252 lacks).",
                                    PromptIcon::Warning);
    m_transfer.progress = {};
    LockForBatch(false);
    RefreshInstrument();
}

namespace {
constexpr const char* kDeleteQuestion = "Are you sure to delete the setected items?";
}

void DataTransferDialog::DeleteInstrumentSelection(bool confirmed) {
    const auto items = m_instrument->selectedItems();
    if (items.isEmpty()) return;
    if (!confirmed && !m_channel.Prompts().YesNo(kDeleteQuestion)) return;
    std::vector<std::string> names;
    for (auto* item : items)
        names.push_back(ToCp1252(item->text(0)));
    Job("Data Transfer", [&] { m_transfer.DeleteOnInstrument(Kind(), names); });
    RefreshInstrument();
}

void DataTransferDialog::DeletePcSelection(bool confirmed) {
    const auto items = m_pc->selectedItems();
    if (items.isEmpty()) return;
    if (!confirmed && !m_channel.Prompts().YesNo(kDeleteQuestion)) return;
    for (auto* item : items) {
        const std::filesystem::path p = ToUtf8(m_folder + "/" + item->data(0, Qt::UserRole).toString());
        std::error_code ec;
        if (!item->text(1).isEmpty()) {
            std::filesystem::remove(p, ec);
            continue;
        }
        // A folder goes only when it is empty, or after a question that says what it holds: nothing is
        // deleted recursively behind the user's back (Select all selects folders too).
        int files = 0, folders = 0;
        for (auto it = std::filesystem::recursive_directory_iterator(p, ec);
             !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
            (it->is_directory(ec) ? folders : files) += 1;
        if (files + folders > 0 &&
            !m_channel.Prompts().YesNo(Format("The folder %s holds %d file(s) and %d folder(s).\n"
                                              "Delete it with everything in it?",
                                              p.filename().string().c_str(), files, folders)))
            continue;
        std::filesystem::remove_all(p, ec);
    }
    RefreshPc();
}

void DataTransferDialog::Up() {
    if (m_folder == "/" || m_folder.isEmpty()) {
        m_channel.Prompts().Message("Already at top level");
        return;
    }
    SetPcFolder(QFileInfo(m_folder).path());
}

void DataTransferDialog::NewFolder() {
    QDir(m_folder).mkpath("New Folder");
    RefreshPc();
    for (int i = 0; i < m_pc->topLevelItemCount(); ++i)
        if (m_pc->topLevelItem(i)->text(0) == "New Folder") {
            m_pc->setCurrentItem(m_pc->topLevelItem(i));
            m_pc->editItem(m_pc->topLevelItem(i), 0);
        }
}

void DataTransferDialog::OpenPcEntry(const QString& name) {
    const QString path = m_folder + "/" + name;
    if (QFileInfo(path).isDir()) {
        SetPcFolder(path);
        return;
    }
    if (Kind().tab == 0) {
        if (openTrace) openTrace(path);
    } else if (Kind().tab == 1) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    } else if (!openEditor || !openEditor(path)) {
        // A kind no editor of this program takes: whatever the system opens it with.
        QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    }
    RefreshPc();
}

void DataTransferDialog::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Delete) {
        if (m_instrument->hasFocus()) DeleteInstrumentSelection();
        if (m_pc->hasFocus()) DeletePcSelection();
        return;
    }
    QDialog::keyPressEvent(e);
}

void DataTransferDialog::done(int r) {
    WriteProfile(s_settings);  // the folders of every kind
    QDialog::done(r);
}

}  // namespace fl
