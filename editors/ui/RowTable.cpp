#include "RowTable.h"

#include <QHeaderView>
#include <QKeyEvent>

namespace fl {

RowTableModel::RowTableModel(QStringList headers, std::function<int()> rows,
                             std::function<QStringList(int)> texts, QObject* parent)
    : QAbstractTableModel(parent),
      m_headers(std::move(headers)),
      m_rows(std::move(rows)),
      m_texts(std::move(texts)) {}

int RowTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_count;
}

int RowTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_headers.size());
}

QVariant RowTableModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= m_count) return {};
    return m_texts(index.row()).value(index.column());
}

QVariant RowTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal) return {};
    return m_headers.value(section);
}

void RowTableModel::Update() {
    const int n = m_rows();
    if (n != m_count) {
        beginResetModel();
        m_count = n;
        endResetModel();
    } else if (n > 0) {
        emit dataChanged(index(0, 0), index(n - 1, columnCount() - 1));
    }
}

RowTable::RowTable(QStringList headers, std::function<int()> rows, std::function<QStringList(int)> texts,
                   QWidget* parent)
    : QTableView(parent),
      m_model(new RowTableModel(std::move(headers), std::move(rows), std::move(texts), this)) {
    setModel(m_model);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(true);
    verticalHeader()->setVisible(false);
    verticalHeader()->setDefaultSectionSize(20);
    // The selection stays visible when the list loses the focus.
    QPalette pal = palette();
    pal.setColor(QPalette::Inactive, QPalette::Highlight, pal.color(QPalette::Active, QPalette::Highlight));
    pal.setColor(QPalette::Inactive, QPalette::HighlightedText,
                 pal.color(QPalette::Active, QPalette::HighlightedText));
    setPalette(pal);
    // The current index is the highlighted row: a model reset replaces the selection model's state, not
    // the selection model itself, so one connection serves for the table's life.
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& now, const QModelIndex&) {
                if (!m_updating && now.isValid()) emit rowChosen(now.row());
            });
    connect(this, &QTableView::doubleClicked, this, [this](const QModelIndex& i) {
        if (i.isValid()) emit rowActivated(i.row());
    });
}

QString RowTable::text(int row, int column) const {
    return m_model->index(row, column).data().toString();
}

void RowTable::Update(int current) {
    m_updating = true;
    m_model->Update();
    if (current >= 1 && current <= rowCount()) {
        const QModelIndex at = m_model->index(current - 1, std::max(0, currentIndex().column()));
        selectionModel()->setCurrentIndex(at,
                                          QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        scrollTo(at);
    } else {
        selectionModel()->clearSelection();
    }
    m_updating = false;
}

void RowTable::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Delete) {
        emit deletePressed();
        return;
    }
    QTableView::keyPressEvent(event);
}

}  // namespace fl
