#include "SegmentEditor.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QScrollBar>
#include <filesystem>

#include "CMyQuarnDoc.h"
#include "FileIo.h"
#include "LimitModel.h"
#include "PageCanvas.h"
#include "Text.h"

namespace fl {

SegmentEditor::SegmentEditor(EditorServices services, QString startFile, bool transferAllowed,
                             QString* folder, QWidget* parent)
    : QDialog(parent),
      m_services(std::move(services)),
      m_startFile(std::move(startFile)),
      m_folder(folder),
      m_transferAllowed(transferAllowed) {}

void SegmentEditor::Build(const QStringList& headers, const std::vector<int>& widths, QWidget* settings) {
    m_table = new RowTable(
        headers, [this] { return Rows(); }, [this](int row) { return RowTexts(row); });
    m_table->setObjectName("rows");
    for (int i = 0; i < headers.size() && i < static_cast<int>(widths.size()); ++i) {
        m_table->setColumnWidth(i, widths[static_cast<size_t>(i)]);
        m_minWidths << widths[static_cast<size_t>(i)];
    }
    int listWidth = 4;
    for (int w : widths)
        listWidth += w;
    m_table->setMinimumWidth(listWidth + 20);
    connect(m_table, &RowTable::rowChosen, this, [this](int row) {
        Current() = row + 1;
        Refresh();
    });
    connect(m_table, &RowTable::rowActivated, this, [this](int row) {
        Current() = row + 1;
        Edit();
        Refresh();
    });

    m_graph = new EditorGraphWidget;
    m_graph->setObjectName("graph");
    m_graph->moved = [this](QPointF area, bool held) {
        if (!held || !m_hit) {
            if (!held) m_hit = HitAt(area);
            return m_hit.has_value();
        }
        DragTo(*m_hit, area);
        m_dragging = true;
        const auto [x, y] = Position(*m_hit);
        m_posX->setText(x);
        m_posY->setText(y);
        Refresh();
        return true;
    };
    m_graph->pressed = [this](QPointF) {
        if (!m_hit) return;
        Current() = m_hit->row + 1;
        const auto [x, y] = Position(*m_hit);
        m_posX->setText(x);
        m_posY->setText(y);
        Refresh();
    };
    m_graph->released = [this](QPointF) {
        if (!m_hit) return;
        Release(*m_hit);
        m_hit.reset();
        m_dragging = false;
        m_posX->clear();
        m_posY->clear();
        Refresh();
    };
    m_posX = new QLabel;
    m_posY = new QLabel;
    m_posX->setObjectName("positionX");
    m_posY->setObjectName("positionY");
    m_comment = new QLineEdit;
    m_comment->setObjectName("comment");
    m_comment->setMaxLength(static_cast<int>(kMaxCommentLength));

    auto* insert = EditorButton("Insert", "insert");
    auto* edit = EditorButton("Edit", "edit");
    auto* del = EditorButton("Delete", "delete");
    auto* delAll = EditorButton("Delete All", "deleteAll");
    auto* transfer = EditorButton("Data Transfer", "dataTransfer");
    m_overlayButton = EditorButton("Overlay Trace", "overlay");
    auto* open = EditorButton("Open", "open");
    auto* save = EditorButton("Save", "save");
    auto* cancel = EditorButton("Cancel", "cancel");
    save->setDefault(true);
    transfer->setEnabled(m_transferAllowed);
    connect(insert, &QPushButton::clicked, this, [this] {
        if (Full()) {
            m_services.message(kLimitsFullText, false);
            return;
        }
        Insert();
        Refresh();
        m_table->setFocus();  // the new row is highlighted and the arrow keys go on from it
    });
    connect(edit, &QPushButton::clicked, this, [this] {
        if (Current() == 0) return;
        Edit();
        Refresh();
    });
    auto deleteRow = [this] {
        DeleteRow();
        Refresh();
        m_table->setFocus();
    };
    connect(del, &QPushButton::clicked, this, deleteRow);
    connect(m_table, &RowTable::deletePressed, this, deleteRow);
    connect(delAll, &QPushButton::clicked, this, [this] {
        DeleteAll();
        Refresh();
    });
    connect(transfer, &QPushButton::clicked, this, [this] { DataTransfer(); });
    connect(m_overlayButton, &QPushButton::clicked, this, [this] { ToggleOverlay(); });
    connect(open, &QPushButton::clicked, this, [this] { Open({}); });
    connect(save, &QPushButton::clicked, this, [this] { Save(); });
    connect(cancel, &QPushButton::clicked, this, &SegmentEditor::reject);

    auto* axisFont = new QFont("Times New Roman");
    axisFont->setUnderline(true);
    auto* yLetter = new QLabel(headers.size() == 5 && headers[0].contains("x") ? "y" : "L");
    yLetter->setFont(*axisFont);
    auto* graphBox = new QGridLayout;
    graphBox->addWidget(yLetter, 0, 0, Qt::AlignTop);
    graphBox->addWidget(m_graph, 0, 1);
    auto* positions = new QHBoxLayout;
    positions->addWidget(m_posX);
    positions->addWidget(m_posY);
    positions->addStretch();
    graphBox->addLayout(positions, 1, 1);
    delete axisFont;

    auto* buttons = new QVBoxLayout;
    for (QPushButton* b : {insert, edit, del, delAll, transfer, m_overlayButton, open, save, cancel})
        buttons->addWidget(b);
    buttons->addStretch();
    auto* top = new QHBoxLayout;
    top->addWidget(m_table);
    top->addLayout(graphBox, 1);
    if (settings) top->addWidget(settings);
    top->addLayout(buttons);
    auto* commentRow = new QHBoxLayout;
    commentRow->addWidget(new QLabel("Comment:"));
    commentRow->addWidget(m_comment, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(commentRow);
}

void SegmentEditor::OpenStartFile() {
    if (!m_startFile.isEmpty()) Open(m_startFile);
    Refresh();
}

void SegmentEditor::Refresh() {
    ApplyModifiedHook();
    setWindowTitle(Title());
    m_table->Update(Current());
    // Never narrower than the columns' own widths, but wide enough to read every value.
    const QFontMetrics fm(m_table->font());
    int total = 0;
    for (int c = 0; c < m_table->model()->columnCount(); ++c) {
        int w = std::max(m_minWidths.value(c), m_table->horizontalHeader()->sectionSizeHint(c));
        for (int r = 0; r < m_table->rowCount(); ++r)
            w = std::max(w, fm.horizontalAdvance(m_table->text(r, c)) + 12);
        m_table->setColumnWidth(c, w);
        total += w;
    }
    m_table->setMinimumWidth(total + m_table->verticalScrollBar()->sizeHint().width() + 4);
    m_graph->SetContent(Pixels(), Current(),
                        m_overlay ? OverlayLines(*m_overlay) : std::vector<std::array<PixelPoint, 2>>{});
}

bool SegmentEditor::Save() {
    if (Rows() == 0) {
        m_services.message(kLimitsEmptyText, false);
        return false;
    }
    const Kind k = FileKind();
    const QString typed = m_services.saveFile(k.saveTitle, *m_folder + "/", k.filter);
    if (typed.isEmpty()) return false;
    QString path = typed;
    if (QFileInfo(path).suffix().isEmpty()) path += k.extension;
    const std::string target = UpperCaseFileName(ToUtf8(path));
    if (!MayReplace(m_services, typed, target)) return false;
    FollowFolder(m_services, m_folder, path);
    std::string error;
    if (!WriteWholeFileAtomically(target, Text(ToCp1252(m_comment->text())), &error)) {
        m_services.message(FromUtf8(error), true);
        return false;
    }
    Saved(PathTextToCp1252(std::filesystem::path(target).filename().string()));
    Refresh();
    if (SaveCloses()) QDialog::accept();
    return true;
}

void SegmentEditor::Open(const QString& given) {
    QString path = given;
    if (path.isEmpty()) {
        const Kind k = FileKind();
        path = m_services.openFile(k.openTitle, *m_folder, k.filter);
        if (path.isEmpty()) return;
        FollowFolder(m_services, m_folder, path);
    }
    std::string bytes, error;
    if (!ReadWholeFile(ToUtf8(path), bytes, 1 << 20, &error)) {
        m_services.message(kFileNotFoundText, true);
        return;
    }
    Read(bytes, ToCp1252(QFileInfo(path).fileName()));
    // The comment as read (the file's own code page).
    std::string comment;
    const size_t nl = bytes.find_first_of("\r\n");
    comment = bytes.substr(0, std::min(nl, kMaxCommentLength));
    m_comment->setText(FromCp1252(comment));
    Refresh();
}

void SegmentEditor::reject() {
    if (AsksToSave() && m_services.question(FileKind().unsavedQuestion)) Save();
    QDialog::reject();
}

void SegmentEditor::DataTransfer() {
    if (Rows() == 0) {
        m_services.message(kLimitsEmptyText, false);
        return;
    }
    if (AsksToSave() && m_services.question(FileKind().unsavedQuestion)) {
        if (!Save() || SaveCloses()) return;  // a save that closes the editor ends it here
    }
    if (!m_startFile.isEmpty()) {
        QDialog::reject();  // the data transfer dialog that opened the editor takes over
        return;
    }
    if (m_services.dataTransfer)
        m_services.dataTransfer(2, "Not connected.\nConnect now?");  // the Limits tab
}

void SegmentEditor::ToggleOverlay() {
    if (m_overlay) {
        m_overlay.reset();
        m_overlayButton->setText("Overlay Trace");
        Refresh();
        return;
    }
    const QString path = m_services.openFile("Open Trace File...", {},
                                             "Quarn Trace ( *.qtr ; *.qtm ) (*.qtr *.qtm *.QTR *.QTM)");
    if (path.isEmpty()) return;
    CMyQuarnDoc doc;
    if (!doc.Load(ToUtf8(path)).ok()) return;
    m_overlay = OverlayFrom(doc);
    m_overlayButton->setText("Clear Trace");
    Refresh();
}

}  // namespace fl
