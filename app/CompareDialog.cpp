#include "CompareDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace fl {

CompareDialog::CompareDialog(const QString& front, const QStringList& others, const QStringList& refusals,
                             QWidget* parent)
    : QDialog(parent) {
    setWindowTitle("Compare Traces");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QString("Draw on the graph of %1:").arg(front)));
    m_list = new QListWidget;
    m_list->setObjectName("traces");
    for (qsizetype i = 0; i < others.size(); ++i) {
        const QString why = refusals.value(i);
        auto* item = new QListWidgetItem(others[i], m_list);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(why.isEmpty() ? Qt::Checked : Qt::Unchecked);
        if (!why.isEmpty()) {
            item->setForeground(Qt::gray);
            item->setToolTip(why);
        }
    }
    layout->addWidget(m_list);
    m_overlay = new QRadioButton("&Overlay: each trace in its own colour");
    m_overlay->setObjectName("overlay");
    m_difference =
        new QRadioButton(QString("&Difference: %1 minus the first checked trace, in dB").arg(front));
    m_difference->setObjectName("difference");
    m_overlay->setChecked(true);
    layout->addWidget(m_overlay);
    layout->addWidget(m_difference);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    // OK needs at least one checked trace.
    auto update = [this, buttons] {
        buttons->button(QDialogButtonBox::Ok)->setEnabled(!Checked().isEmpty());
    };
    connect(m_list, &QListWidget::itemChanged, this, update);
    update();
}

QList<int> CompareDialog::Checked() const {
    QList<int> rows;
    for (int i = 0; i < m_list->count(); ++i)
        if (m_list->item(i)->checkState() == Qt::Checked) rows << i;
    return rows;
}

void CompareDialog::SetChecked(int row, bool on) {
    if (auto* item = m_list->item(row)) item->setCheckState(on ? Qt::Checked : Qt::Unchecked);
}

bool CompareDialog::Difference() const {
    return m_difference->isChecked();
}

void CompareDialog::SetDifference(bool on) {
    (on ? m_difference : m_overlay)->setChecked(true);
}

}  // namespace fl
