// The EMF limit lines editor window: segments in Hz and a field-strength unit, stored in .qel files.
#pragma once

#include <QComboBox>
#include <QRadioButton>

#include "EmfLimitModel.h"
#include "FormEditors.h"
#include "NumberField.h"
#include "SegmentEditor.h"

namespace fl {

// "Limit Points" ("Edit" for an existing row): the type and the two points, frequencies with their unit.
class EmfLimitPointsDialog : public QDialog {
    Q_OBJECT
  public:
    EmfLimitPointsDialog(const EmfPointValues& v, bool editing, const EmfLimitModel& model,
                         std::function<void(const QString&)> message, QWidget* parent = nullptr);
    EmfPointValues Values() const;
    bool Changed() const;
    QRadioButton* Lower() { return m_lower; }
    NumberField* Frequency(int i) { return m_freq[static_cast<size_t>(i)]->Number(); }  // 0 start, 1 stop
    QComboBox* FrequencyUnit(int i) { return m_freq[static_cast<size_t>(i)]->Unit(); }
    NumberField* Level(int i) { return m_level[static_cast<size_t>(i)]; }
    void accept() override;

  private:
    double Hz(int i) const;
    const EmfLimitModel& m_model;
    std::function<void(const QString&)> m_message;
    QRadioButton* m_upper;
    QRadioButton* m_lower;
    std::array<FrequencyField*, 2> m_freq{};
    std::array<NumberField*, 2> m_level{};
    EmfPointValues m_opened;
};

class EmfLimitEditor : public SegmentEditor {
    Q_OBJECT
  public:
    EmfLimitEditor(EditorServices services, QString startFile, bool transferAllowed, QString* folder,
                   QWidget* parent = nullptr);
    EmfLimitModel& Model() { return m_model; }
    QComboBox* UnitList() { return m_unitList; }
    QComboBox* ScaleList() { return m_scaleList; }
    QComboBox* RangeList() { return m_rangeList; }
    QLineEdit* Reference() { return m_reference; }

  protected:
    Kind FileKind() const override;
    int Rows() const override { return static_cast<int>(m_model.set.rows.size()); }
    QStringList RowTexts(int row) const override;
    int& Current() override { return m_model.current; }
    bool Full() const override { return m_model.Full(); }
    bool AsksToSave() const override { return m_model.AsksToSave(); }
    void ApplyModifiedHook() override { m_model.ApplyModifiedHook(); }
    QString Title() const override { return FromCp1252(m_model.title); }
    void Insert() override;
    void Edit() override;
    void DeleteRow() override { m_model.Delete(); }
    void DeleteAll() override { m_model.DeleteAll(); }
    void Read(const std::string& bytes, const std::string& name) override;
    std::string Text(const std::string& comment) override;
    void Saved(const std::string& name) override { m_model.Saved(name); }
    bool SaveCloses() const override { return true; }
    std::vector<std::array<PixelPoint, 2>> Pixels() const override;
    std::optional<GraphHit> HitAt(QPointF area) const override;
    void DragTo(const GraphHit& hit, QPointF area) override;
    void Release(const GraphHit& hit) override { m_model.Release(hit); }

  private:
    void ShowSettings();
    EmfLimitModel m_model;
    QComboBox* m_unitList;
    QComboBox* m_scaleList;
    QComboBox* m_rangeList;
    QLineEdit* m_reference;
    QLabel* m_middleLabel;
    bool m_showing = false;
};

}  // namespace fl
