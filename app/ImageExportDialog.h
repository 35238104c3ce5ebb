// The question after File > Export > Image...'s file name: the image size (for bitmaps), and whether a
// zoomed window's graph is drawn as shown instead of the page as the document defines it.
#pragma once

#include <QDialog>
#include <QList>
#include <QSize>

class QCheckBox;
class QComboBox;

namespace fl {

class ImageExportDialog : public QDialog {
    Q_OBJECT
  public:
    // `sizes` empty: a vector page, no size to choose. `zoomed`: the window shows part of the graph.
    ImageExportDialog(const QList<QSize>& sizes, bool zoomed, QWidget* parent = nullptr);
    QSize ChosenSize() const;
    bool AsShown() const;
    QComboBox* Sizes() const { return m_sizes; }
    QCheckBox* AsShownBox() const { return m_asShown; }

  private:
    QList<QSize> m_list;
    QComboBox* m_sizes = nullptr;
    QCheckBox* m_asShown = nullptr;
};

}  // namespace fl
