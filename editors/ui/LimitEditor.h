// The limit lines editor window: segments on the 10 x 8 division grid, stored in .qlm files.
#pragma once

#include <QButtonGroup>
#include <QRadioButton>

#include "LimitModel.h"
#include "NumberField.h"
#include "SegmentEditor.h"

namespace fl {

// "Limit Lines": Upper/Lower and the two end points in divisions.
class LimitLineDialog : public QDialog {
    Q_OBJECT
  public:
    LimitLineDialog(const LineValues& v, bool isNew, std::function<void(const QString&)> message = {},
                    QWidget* parent = nullptr);
    LineValues Values() const;
    bool Changed() const { return !(Values() == m_opened); }
    QRadioButton* Upper() { return m_upper; }
    QRadioButton* Lower() { return m_lower; }
    NumberField* Field(int i) { return m_field[static_cast<size_t>(i)]; }  // x1, y1, x2, y2
    void accept() override;

  private:
    QRadioButton* m_upper;
    QRadioButton* m_lower;
    std::array<NumberField*, 4> m_field{};
    std::function<void(const QString&)> m_message;
    LineValues m_opened;
};

class LimitEditor : public SegmentEditor {
    Q_OBJECT
  public:
    LimitEditor(EditorServices services, QString startFile, bool transferAllowed, QString* folder,
                QWidget* parent = nullptr);
    LimitModel& Model() { return m_model; }

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
    std::vector<std::array<PixelPoint, 2>> Pixels() const override;
    std::optional<GraphHit> HitAt(QPointF area) const override;
    void DragTo(const GraphHit& hit, QPointF area) override;
    void Release(const GraphHit& hit) override { m_model.Release(hit); }
    std::pair<QString, QString> Position(const GraphHit& hit) const override;

  private:
    LimitModel m_model;
};

}  // namespace fl
