#include "LevelDialog.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "PageCanvas.h"

namespace fl {

LevelDialog::LevelDialog(CMyQuarnDoc& doc, const std::string& modeName, std::function<void()> redraw,
                         QWidget* parent)
    : QDialog(parent), m_edit(doc, modeName), m_redraw(std::move(redraw)) {
    setWindowTitle("Level");
    m_refCaption = new QLabel("Ref. Level");
    auto* unitCaption = new QLabel("Level Unit");
    m_ref = new QLineEdit;
    m_unit = new QComboBox;
    for (const LevelUnit& u : m_edit.Units())
        m_unit->addItem(FromCp1252(u.text));
    auto* ok = new QPushButton("OK");
    m_apply = new QPushButton("Apply");
    auto* cancel = new QPushButton("Cancel");
    m_scaleCaption = new QLabel("Scale");
    m_scale = new QLineEdit;

    // The spin control beside the reference: one unit per click.
    auto* up = new QToolButton;
    up->setArrowType(Qt::UpArrow);
    up->setAutoRepeat(true);
    auto* down = new QToolButton;
    down->setArrowType(Qt::DownArrow);
    down->setAutoRepeat(true);
    for (QToolButton* b : {up, down})
        b->setFixedSize(18, 12);
    auto* spin = new QVBoxLayout;
    spin->setSpacing(0);
    spin->addWidget(up);
    spin->addWidget(down);

    auto* grid = new QGridLayout(this);
    grid->addWidget(m_refCaption, 0, 0, 1, 2);
    grid->addWidget(unitCaption, 0, 2);
    grid->addWidget(m_ref, 1, 0);
    grid->addLayout(spin, 1, 1);
    grid->addWidget(m_unit, 1, 2);
    grid->addWidget(m_scaleCaption, 2, 0, 1, 2);
    grid->addWidget(m_scale, 3, 0);
    auto* buttons = new QVBoxLayout;
    for (QPushButton* b : {ok, m_apply, cancel})
        buttons->addWidget(b);
    buttons->addStretch();
    grid->addLayout(buttons, 0, 3, 4, 1);
    ok->setDefault(true);

    Show();
    connect(m_ref, &QLineEdit::textEdited, this, [this](const QString& t) {
        m_edit.EditReference(ToCp1252(t));
        m_apply->setEnabled(true);
    });
    connect(m_scale, &QLineEdit::textEdited, this, [this](const QString& t) {
        m_edit.EditScale(ToCp1252(t));
        m_apply->setEnabled(true);
    });
    connect(up, &QToolButton::clicked, this, [this] { Step(1); });
    connect(down, &QToolButton::clicked, this, [this] { Step(-1); });
    connect(m_unit, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (m_showing) return;
        std::string error;
        if (Report(m_edit.SelectUnit(index, &error), error)) m_redraw();
        Show();
    });
    connect(m_apply, &QPushButton::clicked, this, [this] { ApplyNow(); });
    connect(ok, &QPushButton::clicked, this, &LevelDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void LevelDialog::Show() {
    m_showing = true;
    m_refCaption->setText(FromCp1252(m_edit.ReferenceCaption()));
    m_scaleCaption->setText(FromCp1252(m_edit.ScaleCaption()));
    m_ref->setText(FromCp1252(m_edit.ReferenceText()));
    m_scale->setText(FromCp1252(m_edit.ScaleText()));
    m_unit->setCurrentIndex(m_edit.SelectedUnit());
    m_apply->setEnabled(m_edit.ApplyEnabled());
    m_showing = false;
}

bool LevelDialog::Report(bool ok, const std::string& error) {
    if (!ok) QMessageBox::warning(this, "Level", FromCp1252(error));
    return ok;
}

void LevelDialog::Step(int steps) {
    m_edit.StepReference(steps);
    Show();
}

bool LevelDialog::ApplyNow() {
    std::string error;
    if (!Report(m_edit.Apply(&error), error)) return false;
    Show();
    m_redraw();
    return true;
}

void LevelDialog::accept() {
    std::string error;
    if (!Report(m_edit.Ok(&error), error)) return;
    m_redraw();
    QDialog::accept();
}

}  // namespace fl
