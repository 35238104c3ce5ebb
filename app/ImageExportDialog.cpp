#include "ImageExportDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>
#include <algorithm>

namespace fl {

ImageExportDialog::ImageExportDialog(const QList<QSize>& sizes, bool zoomed, QWidget* parent)
    : QDialog(parent), m_list(sizes) {
    setWindowTitle("Image size");
    auto* layout = new QVBoxLayout(this);
    if (!sizes.isEmpty()) {
        auto* label = new QLabel("Size of the image in pixels:", this);
        m_sizes = new QComboBox(this);
        m_sizes->setAccessibleName(label->text());
        label->setBuddy(m_sizes);
        for (const QSize& s : sizes)
            m_sizes->addItem(QString("%1 x %2").arg(s.width()).arg(s.height()));
        layout->addWidget(label);
        layout->addWidget(m_sizes);
    }
    // Off by default: an export is the page as the document defines it.
    m_asShown = new QCheckBox("&As shown (the zoomed part of the graph)", this);
    m_asShown->setVisible(zoomed);
    layout->addWidget(m_asShown);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

QSize ImageExportDialog::ChosenSize() const {
    if (!m_sizes || m_list.isEmpty()) return {};
    return m_list.value(std::max(0, m_sizes->currentIndex()), m_list.first());
}

bool ImageExportDialog::AsShown() const {
    return !m_asShown->isHidden() && m_asShown->isChecked();
}

}  // namespace fl
