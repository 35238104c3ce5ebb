// "About": product, version, the maker's site and the help document.
#pragma once

#include <QDialog>

namespace fl {

class AboutDialog : public QDialog {
    Q_OBJECT
  public:
    explicit AboutDialog(QWidget* parent = nullptr);
    // "QuarnFLS-help.pdf" in the data folder's "help", else in the installed share folder; empty if none.
    static QString HelpFile();
};

}  // namespace fl
