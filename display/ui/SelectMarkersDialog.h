// "Select Trace Markers - [ title ]": switches the markers of a trace window on and off, makes delta
// markers, searches peaks, sets the threshold, sorts and restores. A window of its own beside the trace
// (the main window closes it with Close All); OK keeps the changes, Cancel puts both traces back.
#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QTabBar>
#include <array>
#include <memory>

#include "CMyQuarnView.h"
#include "MarkerEdit.h"

namespace fl {

class SelectMarkersDialog : public QDialog {
    Q_OBJECT
  public:
    explicit SelectMarkersDialog(CMyQuarnView* view, QWidget* parent = nullptr);

    CMyQuarnView* View() const { return m_view; }
    // The trace of the tab shown ('A' or 'B').
    char Trace() const;
    // The marker the buttons act on (the selected marker of the tab's trace; marker 1 when none).
    int Selected() const;
    // Shows the tab of `trace` when it is offered.
    void ShowTrace(char trace);
    // Reads the document again (after a change made outside the dialog).
    void Refresh();

    void reject() override;
    void accept() override;

  signals:
    // "Marker Description": the owner opens the description dialog on the view for marker `n`.
    void descriptionRequested(char trace, int n);  // the trace of the tab shown

  private:
    void Changed();
    void Select(int n);
    void MarkerClicked(int n, bool on, bool delta);

    QPointer<CMyQuarnView> m_view;
    std::shared_ptr<CMyQuarnDoc> m_doc;
    MarkerSnapshot m_opened;
    int m_openedFront = 0;
    bool m_openedModified = false;
    MarkerSelection m_openedSelection;
    QTabBar* m_tabs;
    std::array<char, 2> m_tabTrace{'A', 'B'};
    std::array<QCheckBox*, 11> m_marker{};
    std::array<QCheckBox*, 11> m_delta{};
    QPushButton* m_threshold;
    QSpinBox* m_thresholdValue;
    QPushButton* m_sortPosition;
    QLabel* m_selectedText;
    bool m_refreshing = false;
};

}  // namespace fl
