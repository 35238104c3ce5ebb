// The window of a trace document: paints the page, offers the View menu (also as the context menu) and
// the comment command.
#pragma once

#include <QWidget>
#include <memory>

#include "CMyQuarnDoc.h"
#include "PageRenderer.h"
#include "ViewFlags.h"

namespace fl {

class CMyQuarnView : public QWidget {
    Q_OBJECT
  public:
    CMyQuarnView(std::shared_ptr<CMyQuarnDoc> doc, DisplayPreferences& defaults, QWidget* parent = nullptr);

    CMyQuarnDoc& Document() { return *m_doc; }
    std::shared_ptr<CMyQuarnDoc> SharedDocument() { return m_doc; }
    void RunViewCommand(ViewCommand c);
    // The print header texts from the program's settings (read once, again after SettingsChanged).
    static RenderOptions CurrentRenderOptions();
    // The print header settings changed (read again at the next paint).
    static void SettingsChanged();
    const PageLayout& LastLayout() const { return m_layout; }

  signals:
    void documentChanged();     // modified flag or title may have changed
    void orientationChanged();  // the frame resizes itself
    // The right mouse button: the owner shows the view's context menu at `globalPos`.
    void contextMenuRequested(const QPoint& globalPos);

  protected:
    void paintEvent(QPaintEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;

  private:
    std::shared_ptr<CMyQuarnDoc> m_doc;
    DisplayPreferences& m_defaults;
    PageLayout m_layout;
};

}  // namespace fl
