// The editors' row lists: a table view over the editor's own rows (a QAbstractTableModel adaptor), so
// the highlighted row, the current row and the row the buttons act on are one thing, whether it was
// chosen by the mouse or the keyboard.
#pragma once

#include <QAbstractTableModel>
#include <QStringList>
#include <QTableView>
#include <functional>

namespace fl {

class RowTableModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    RowTableModel(QStringList headers, std::function<int()> rows, std::function<QStringList(int)> texts,
                  QObject* parent = nullptr);
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    // The editor's rows changed: a new count resets the model, else every cell is announced changed.
    void Update();

  private:
    QStringList m_headers;
    std::function<int()> m_rows;
    std::function<QStringList(int)> m_texts;
    int m_count = 0;
};

class RowTable : public QTableView {
    Q_OBJECT
  public:
    RowTable(QStringList headers, std::function<int()> rows, std::function<QStringList(int)> texts,
             QWidget* parent = nullptr);
    int rowCount() const { return m_model->rowCount(); }
    QString text(int row, int column) const;
    // Shows the rows again and highlights `current` (1-based; 0: none) without reporting it as chosen.
    void Update(int current);

  signals:
    void rowChosen(int row);     // 0-based; by a click or the arrow keys
    void rowActivated(int row);  // a double click (Return stays with the default button)
    void deletePressed();

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    RowTableModel* m_model;
    bool m_updating = false;
};

}  // namespace fl
