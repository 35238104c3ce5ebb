#include "MarkerDescriptionDialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "PageCanvas.h"

namespace fl {

MarkerDescriptionDialog::MarkerDescriptionDialog(const std::vector<std::string>& texts,
                                                 const std::vector<int>& flags, const QStringList& recent,
                                                 int focus, QWidget* parent)
    : QDialog(parent), m_recent(recent) {
    setWindowTitle("Marker Description");
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel("Marker"), 0, 0);
    grid->addWidget(new QLabel("Description"), 0, 1);
    grid->addWidget(new QLabel("Show"), 0, 2);
    for (int n = 1; n <= 10; ++n) {
        const size_t i = static_cast<size_t>(n);
        auto* text = new QComboBox;
        text->setEditable(true);
        text->setInsertPolicy(QComboBox::NoInsert);
        text->addItems(recent);
        text->setCurrentText(i < texts.size() ? FromCp1252(texts[i]) : QString());
        text->setMinimumWidth(320);
        text->setObjectName(QString("description%1").arg(n));
        auto* show = new QCheckBox;
        show->setChecked(i < flags.size() && flags[i] != 0);
        show->setObjectName(QString("show%1").arg(n));
        grid->addWidget(new QLabel(QString::number(n)), n, 0);
        grid->addWidget(text, n, 1);
        grid->addWidget(show, n, 2);
        m_text[i] = text;
        m_show[i] = show;
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(buttons);
    if (focus >= 1 && focus <= 10) m_text[static_cast<size_t>(focus)]->setFocus();
}

std::vector<std::string> MarkerDescriptionDialog::Texts() const {
    std::vector<std::string> out(11);
    for (int n = 1; n <= 10; ++n)
        out[static_cast<size_t>(n)] = ToCp1252(m_text[static_cast<size_t>(n)]->currentText());
    return out;
}

std::vector<int> MarkerDescriptionDialog::Flags() const {
    std::vector<int> out(11, 0);
    for (int n = 1; n <= 10; ++n)
        out[static_cast<size_t>(n)] = m_show[static_cast<size_t>(n)]->isChecked() ? 1 : 0;
    return out;
}

QStringList MarkerDescriptionDialog::Recent() const {
    QStringList out;
    auto add = [&](QString s) {
        s.remove(';');  // the profile separates the entries with ';'
        s = s.trimmed();
        if (!s.isEmpty() && !out.contains(s)) out.push_back(s);
    };
    for (int n = 1; n <= 10; ++n)
        add(m_text[static_cast<size_t>(n)]->currentText());
    for (const QString& s : m_recent)
        add(s);
    while (out.size() > 10)
        out.removeLast();
    return out;
}

QStringList RecentDescriptions(const std::string& profileText) {
    QStringList out;
    for (const QString& s : FromCp1252(profileText).split(';', Qt::SkipEmptyParts))
        if (out.size() < 10 && !s.trimmed().isEmpty()) out.push_back(s.trimmed());
    return out;
}

std::string RecentDescriptionsText(const QStringList& recent) {
    return ToCp1252(recent.mid(0, 10).join(';'));
}

}  // namespace fl
