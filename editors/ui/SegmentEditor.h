// What the limit lines editor and the EMF limit lines editor share: the list, the graph with dragging,
// the comment, the buttons, Open, Save, Cancel, Data Transfer and the overlay trace. Each editor supplies
// its rows, dialogs, file format and mapping.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <optional>

#include "EditorGraph.h"
#include "EditorGraphWidget.h"
#include "EditorServices.h"
#include "RowTable.h"

namespace fl {

class SegmentEditor : public QDialog {
    Q_OBJECT
  public:
    RowTable* Table() const { return m_table; }
    EditorGraphWidget* Graph() const { return m_graph; }
    QLineEdit* Comment() const { return m_comment; }
    QLabel* PositionX() const { return m_posX; }
    QLabel* PositionY() const { return m_posY; }
    QPushButton* Button(const char* name) const { return findChild<QPushButton*>(name); }
    bool HasOverlay() const { return m_overlay.has_value(); }

    // Opens the file the editor was started with (the constructor of the editor calls it).
    void OpenStartFile();
    void reject() override;

  protected:
    struct Kind {
        QString openTitle, saveTitle, filter, extension, unsavedQuestion;
    };
    SegmentEditor(EditorServices services, QString startFile, bool transferAllowed, QString* folder,
                  QWidget* parent);
    // Builds the window; `settings` (may be null) goes beside the graph.
    void Build(const QStringList& headers, const std::vector<int>& widths, QWidget* settings);

    virtual Kind FileKind() const = 0;
    virtual int Rows() const = 0;
    virtual QStringList RowTexts(int row) const = 0;  // 0-based
    virtual int& Current() = 0;
    virtual bool Full() const = 0;
    virtual bool AsksToSave() const = 0;
    virtual void ApplyModifiedHook() = 0;
    virtual QString Title() const = 0;
    virtual void Insert() = 0;  // through the editor's dialog
    virtual void Edit() = 0;
    virtual void DeleteRow() = 0;
    virtual void DeleteAll() = 0;
    virtual void Read(const std::string& bytes, const std::string& name) = 0;
    virtual std::string Text(const std::string& comment) = 0;
    virtual void Saved(const std::string& name) = 0;
    virtual bool SaveCloses() const { return false; }
    virtual std::vector<std::array<PixelPoint, 2>> Pixels() const = 0;
    virtual std::optional<GraphHit> HitAt(QPointF area) const = 0;
    virtual void DragTo(const GraphHit& hit, QPointF area) = 0;
    virtual void Release(const GraphHit& hit) = 0;
    // The position labels while a point is held: "x=..." and "y=..."; empty for none.
    virtual std::pair<QString, QString> Position(const GraphHit&) const { return {}; }

    // How the entry dialogs say a value is refused.
    std::function<void(const QString&)> RangeMessage() {
        return [this](const QString& text) { m_services.message(text, false); };
    }
    void Refresh();
    bool Save();
    void Open(const QString& path);
    void DataTransfer();
    void ToggleOverlay();

    EditorServices m_services;
    QString m_startFile;
    QString* m_folder;
    std::optional<OverlayTrace> m_overlay;

  private:
    RowTable* m_table = nullptr;
    QList<int> m_minWidths;
    EditorGraphWidget* m_graph = nullptr;
    QLineEdit* m_comment = nullptr;
    QLabel* m_posX = nullptr;
    QLabel* m_posY = nullptr;
    QPushButton* m_overlayButton = nullptr;
    bool m_transferAllowed;
    std::optional<GraphHit> m_hit;
    bool m_dragging = false;
};

}  // namespace fl
