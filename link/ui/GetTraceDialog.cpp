#include "GetTraceDialog.h"
#include "QtText.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace fl {

GetTraceDialog::GetTraceDialog(std::vector<std::string> names, QWidget* parent) : QDialog(parent) {
    setWindowTitle("Get Trace");
    auto* layout = new QVBoxLayout(this);
    m_list = new QListWidget;
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    for (const auto& n : names)
        m_list->addItem(FromCp1252(n));
    if (m_list->count() > 0) m_list->item(0)->setSelected(true);
    m_selection = new QLabel;
    m_status = new QLabel;
    layout->addWidget(m_list);
    layout->addWidget(m_selection);
    layout->addWidget(m_status);
    auto* buttons = new QDialogButtonBox;
    auto* view = buttons->addButton("View", QDialogButtonBox::AcceptRole);
    buttons->addButton(QDialogButtonBox::Cancel);
    layout->addWidget(buttons);
    auto showSelection = [this] { m_selection->setText(FromCp1252(SelectionText(Selected()))); };
    connect(m_list, &QListWidget::itemSelectionChanged, this, showSelection);
    connect(m_list, &QListWidget::itemDoubleClicked, this, &GetTraceDialog::View);
    connect(view, &QPushButton::clicked, this, &GetTraceDialog::View);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    showSelection();
}

std::vector<std::string> GetTraceDialog::Selected() const {
    std::vector<std::string> names;
    for (int i = 0; i < m_list->count(); ++i)
        if (m_list->item(i)->isSelected()) names.push_back(ToCp1252(m_list->item(i)->text()));
    return names;
}

void GetTraceDialog::SelectNames(const std::vector<std::string>& names) {
    m_list->clearSelection();
    for (int i = 0; i < m_list->count(); ++i)
        for (const auto& n : names)
            if (ToCp1252(m_list->item(i)->text()) == n) m_list->item(i)->setSelected(true);
}

void GetTraceDialog::View() {
    if (Selected().empty()) return;
    accept();
}

}  // namespace fl
