// "Marker Description": the descriptions of the ten markers of a trace and whether each is shown as a
// label, with the recently used descriptions offered in every field.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QStringList>
#include <array>
#include <string>
#include <vector>

namespace fl {

class MarkerDescriptionDialog : public QDialog {
    Q_OBJECT
  public:
    // `texts` and `flags` are the trace's arrays (entries 1..10 are used); `recent` the descriptions used
    // lately, newest first. `focus` (1..10) gets the keyboard focus.
    MarkerDescriptionDialog(const std::vector<std::string>& texts, const std::vector<int>& flags,
                            const QStringList& recent, int focus = 1, QWidget* parent = nullptr);

    // The edited copies, in the arrays' form (11 entries, Windows-1252 text).
    std::vector<std::string> Texts() const;
    std::vector<int> Flags() const;
    // The recent descriptions after this edit: the entered ones first, at most 10, without ";".
    QStringList Recent() const;

    QComboBox* Field(int n) { return m_text[static_cast<size_t>(n)]; }
    QCheckBox* Show(int n) { return m_show[static_cast<size_t>(n)]; }

  private:
    std::array<QComboBox*, 11> m_text{};
    std::array<QCheckBox*, 11> m_show{};
    QStringList m_recent;
};

// The recent descriptions as the profile holds them (";"-separated) and back.
QStringList RecentDescriptions(const std::string& profileText);
std::string RecentDescriptionsText(const QStringList& recent);

}  // namespace fl
