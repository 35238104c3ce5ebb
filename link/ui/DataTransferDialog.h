// The Data Transfer dialog: instrument files on the left, a PC folder on the right, a tab per file kind,
// copying both ways with the duplicate questions and a cancellable progress window.
#pragma once

#include <QDialog>
#include <functional>

#include "DataTransfer.h"

class QComboBox;
class QProgressDialog;
class QLabel;
class QPushButton;
class QTabBar;
class QTreeWidget;

namespace fl {

class DataTransferDialog : public QDialog {
    Q_OBJECT
  public:
    // Runs a piece of instrument work (the program's instrument session) and returns when it ended; false
    // when the user cancelled it.
    using JobRunner = std::function<bool(const std::string& title, const std::function<void()>& job)>;
    // Without a runner the exchanges run on the calling thread.
    DataTransferDialog(CommandChannel& channel, int initialTab, QWidget* parent = nullptr,
                       JobRunner runner = {}, std::function<bool()> cancelled = {});

    // Opening a trace entry (the main window opens it as a document).
    std::function<void(const QString&)> openTrace;
    // Opening an editor file ("O" or a double click on the tabs of the editors' kinds): the editor runs,
    // started with the file. False when no editor takes that kind.
    std::function<bool(const QString&)> openEditor;
    // Test hooks: answers instead of the duplicate question and the filename window.
    std::function<DuplicateAnswer(const std::string&)> scriptedAnswer;
    std::function<bool(std::string&)> scriptedRename;

    const FileKind& Kind() const { return *m_kinds[static_cast<size_t>(m_tab)]; }
    QString PcFolder() const { return m_folder; }
    void SetPcFolder(const QString& folder);
    void SelectTab(int index);
    void RefreshInstrument();
    void RefreshPc();
    void SelectInstrument(const QStringList& names);
    void SelectPc(const QStringList& names);
    void CopyToPc();
    void CopyToInstrument();
    void DeleteInstrumentSelection(bool confirmed = false);
    void DeletePcSelection(bool confirmed = false);
    void Up();
    void NewFolder();
    void OpenPcEntry(const QString& name);
    QStringList InstrumentNames() const;
    QStringList PcNames() const;

  protected:
    void keyPressEvent(QKeyEvent* e) override;
    void done(int r) override;

  private:
    bool Job(const std::string& title, const std::function<void()>& job);
    // Questions asked from a job are put on this dialog's thread, which the runner keeps serving.
    template <class F>
    auto OnDialogThread(F f);
    DuplicateRule MakeRule(bool toInstrument);
    DuplicateAnswer Ask(const std::string& name, bool toInstrument);
    bool AskName(std::string& name, bool toInstrument);
    void WatchProgress(QProgressDialog& progress);
    void UpdateArrows();
    void LockForBatch(bool locked);

    CommandChannel& m_channel;
    DataTransfer m_transfer;
    JobRunner m_runJob;
    std::function<bool()> m_jobCancelled;
    std::vector<const FileKind*> m_kinds;
    int m_tab = 0;
    QString m_folder;
    QTabBar* m_tabs;
    QPushButton* m_left;
    QPushButton* m_right;
    QTreeWidget* m_instrument;
    QTreeWidget* m_pc;
    QComboBox* m_folderBox;
};

}  // namespace fl
