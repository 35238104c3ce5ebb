// What the document commands need of the main window: its trace windows.
#pragma once

#include <QList>
#include <QString>
#include <memory>

class QWidget;

namespace fl {

class CChildFrame;
class CMyQuarnDoc;

class DocumentHost {
  public:
    virtual ~DocumentHost() = default;
    // The active trace window, or the topmost one when none is active; null without windows.
    virtual CChildFrame* ActiveFrame() const = 0;
    // Every trace window in window order.
    virtual QList<CChildFrame*> Frames() const = 0;
    // A new trace window on `doc` (a second window when the document already has one).
    virtual CChildFrame* AddFrame(std::shared_ptr<CMyQuarnDoc> doc) = 0;
    virtual void Activate(CChildFrame* frame) = 0;
    virtual QWidget* Window() = 0;
    // The trace marker selection window, when one is open, closes (after Close All).
    virtual void CloseMarkerWindow() {}
    // An editor file opened from the Data Transfer dialog; false when no editor takes that kind.
    virtual bool OpenEditorFile(const QString&) { return false; }
};

}  // namespace fl
