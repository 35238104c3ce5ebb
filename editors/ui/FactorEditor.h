// The factor table editor in its three modes: EMF antenna factor (.qaf), EMF cable factor (.qcf) and
// external device compensation (.qed): a two-column table, the graph with draggable points, Level Offset
// and Scale arrows, the maximum frequency.
#pragma once

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <optional>

#include "EditorGraphWidget.h"
#include "EditorServices.h"
#include "FactorTable.h"
#include "NumberField.h"
#include "RowTable.h"

namespace fl {

class FrequencyField;

// "Insert" or "Edit": a frequency with its unit and a level from -80 to 80.
class FactorEntryDialog : public QDialog {
    Q_OBJECT
  public:
    FactorEntryDialog(double hz, double level, bool editing, const FactorModel& model,
                      std::function<void(const QString&)> message, QWidget* parent = nullptr);
    double Hz() const;
    double Level() const;
    bool Changed() const;
    FrequencyField* Frequency() { return m_frequency; }
    NumberField* LevelField() { return m_level; }
    void accept() override;

  private:
    const FactorModel& m_model;
    std::function<void(const QString&)> m_message;
    FrequencyField* m_frequency;
    NumberField* m_level;
    double m_openedHz, m_openedLevel;
};

class FactorEditor : public QDialog {
    Q_OBJECT
  public:
    FactorEditor(FactorMode mode, EditorServices services, QString startFile, bool transferAllowed,
                 QString* folder, QWidget* parent = nullptr);
    FactorModel& Model() { return m_model; }
    RowTable* Table() const { return m_table; }
    EditorGraphWidget* Graph() const { return m_graph; }
    QPushButton* Button(const char* name) const { return findChild<QPushButton*>(name); }
    void reject() override;

  private:
    void Refresh();
    bool Save();
    void Open(const QString& path);
    void DataTransfer();
    void Insert();
    void Edit();

    FactorModel m_model;
    EditorServices m_services;
    QString m_startFile;
    QString* m_folder;
    RowTable* m_table;
    EditorGraphWidget* m_graph;
    QLineEdit* m_comment;
    QComboBox* m_range;
    std::optional<GraphHit> m_hit;
    double m_S = 20;
    bool m_showing = false;
};

}  // namespace fl
