// The small form editors: channel system (.qsy) and DTF cable type (.qct), and the "Quarn Settings"
// chooser that hands settings files (.qst) to the program the system opens them with.
#pragma once

#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>

#include "EditorServices.h"
#include "FormFiles.h"
#include "NumberField.h"

namespace fl {

// A frequency field: a number and its unit ("GHz", "MHz", "kHz", "Hz"), shown in its best unit.
class FrequencyField : public QWidget {
    Q_OBJECT
  public:
    explicit FrequencyField(QWidget* parent = nullptr);
    // Shows `hz` in its best unit and gives it back exactly until the number or the unit is edited.
    void SetHz(double hz);
    double Hz() const;
    bool Edited() const;
    NumberField* Number() const { return m_number; }
    QComboBox* Unit() const { return m_unit; }
  signals:
    void edited();

  private:
    NumberField* m_number;
    QComboBox* m_unit;
    double m_hz = 0;
    QString m_shownUnit = "MHz";
    QString m_shownNumber = "0";
};

// What both forms share: Open, Save, Data Transfer and Close with the save question, the "Untitled"
// name box, forgetting the file name on any edit.
class FormEditor : public QDialog {
    Q_OBJECT
  public:
    QPushButton* Button(const char* name) const { return findChild<QPushButton*>(name); }
    QGroupBox* NameBox() const { return m_box; }
    void reject() override;

  protected:
    struct Kind {
        QString title, openTitle, saveTitle, filter, extension, question;
        int tab;
    };
    FormEditor(EditorServices services, QString startFile, bool transferAllowed, QString* folder,
               QWidget* parent);
    // The fields go into `box`; then the buttons are added.
    void Build(QLayout* fields);
    void Edited();
    void OpenStartFile();

    virtual Kind FormKind() const = 0;
    // Save's checks on the form's values: "" or the message (the field in question gets the focus).
    virtual QString Check() = 0;
    virtual std::string Text(const std::string& name) = 0;
    virtual void Read(const std::string& bytes) = 0;
    // The name the file read holds for itself ("" when its kind has none).
    virtual std::string NameInFile() const { return {}; }
    // A title for a file name: "Channel System - X" or "DTF Cable Type - X".
    virtual QString TitleFor(const QString& fileName) const = 0;

    bool Save();
    void Open(const QString& path);
    void DataTransfer();

    EditorServices m_services;
    QString m_startFile;
    QString* m_folder;
    QString m_fileName;
    bool m_modified = false;
    bool m_loading = false;
    QGroupBox* m_box;

  private:
    bool m_transferAllowed;
};

class ChannelSystemEditor : public FormEditor {
    Q_OBJECT
  public:
    ChannelSystemEditor(EditorServices services, QString startFile, bool transferAllowed, QString* folder,
                        QWidget* parent = nullptr);
    ChannelSystem Values() const;
    NumberField* First() { return m_first; }
    NumberField* Last() { return m_last; }
    FrequencyField* Width() { return m_width; }
    FrequencyField* Spacing() { return m_spacing; }
    FrequencyField* Center() { return m_center; }
    QComboBox* MaxFrequency() { return m_max; }

  protected:
    Kind FormKind() const override;
    QString Check() override;
    std::string Text(const std::string& name) override;
    void Read(const std::string& bytes) override;
    std::string NameInFile() const override { return m_system.name; }
    QString TitleFor(const QString& fileName) const override { return "Channel System - " + fileName; }

  private:
    void Show(const ChannelSystem& s);
    ChannelSystem m_system;
    NumberField* m_first;
    NumberField* m_last;
    FrequencyField* m_width;
    FrequencyField* m_spacing;
    FrequencyField* m_center;
    QComboBox* m_max;
};

class CableTypeEditor : public FormEditor {
    Q_OBJECT
  public:
    CableTypeEditor(EditorServices services, QString startFile, bool transferAllowed, QString* folder,
                    QWidget* parent = nullptr);
    CableType Values() const;
    QLineEdit* Description() { return m_description; }
    NumberField* Dielectric() { return m_dielectric; }
    NumberField* Velocity() { return m_velocity; }
    NumberField* Attenuation() { return m_attenuation; }
    QComboBox* LengthUnit() { return m_unit; }
    FrequencyField* Cutoff() { return m_cutoff; }

  protected:
    Kind FormKind() const override;
    QString Check() override;
    std::string Text(const std::string& name) override;
    void Read(const std::string& bytes) override;
    QString TitleFor(const QString& fileName) const override { return "DTF Cable Type - " + fileName; }

  private:
    void Show(const CableType& c);
    QLineEdit* m_description;
    NumberField* m_dielectric;
    NumberField* m_velocity;
    NumberField* m_attenuation;
    QComboBox* m_unit;
    FrequencyField* m_cutoff;
    bool m_linking = false;
};

// "Quarn Settings": New makes NEWSETnnn.QST in the settings folder, Open picks one; either is handed to
// the system's open action, and the chooser stays open until Cancel.
class SettingsChooser : public QDialog {
    Q_OBJECT
  public:
    SettingsChooser(EditorServices services, QString* folder, QWidget* parent = nullptr);
    QPushButton* Button(const char* name) const { return findChild<QPushButton*>(name); }

  private:
    void New();
    void Open();
    EditorServices m_services;
    QString* m_folder;
};

}  // namespace fl
