#pragma once
// frmSpotFilter, "Spot Filter": the keyword editor. The list shows tblProp; a click loads a row
// into the edit controls; "Add / Update", "Delete" and "New Prop Type" hand the work to the
// KeywordEditor and show what it reports.

#include "spots/keyword_editor.h"

#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace zenthra {

class Database;
class Prompter;
class PropKeywords;

class SpotFilterWindow : public QWidget
{
    Q_OBJECT
public:
    SpotFilterWindow(Database& db, PropKeywords& keywords, Prompter& dialogs, QWidget* mainWindow);

    QListWidget* lstSpots() const { return m_lstSpots; }
    QComboBox* cboSpotMode() const { return m_cboSpotMode; }
    QComboBox* cboSpotFilter(int index) const { return m_cboSpotFilter[index]; }
    QLineEdit* txtSpotSort() const { return m_txtSpotSort; }
    QPushButton* cmdSpotFilter(int index) const { return m_cmdSpotFilter[index]; }

    void LOAD_PROP_LIST();
    void lstSpots_Click(QListWidgetItem* item);
    // 0 "Add / Update", 1 "Delete", 2 "E&xit".
    void cmdSpotFilter_Click(int index);
    void cmdNewPropType_Click();

private:
    void fillModes();
    void report(const KeywordEditor::Outcome& outcome);

    KeywordEditor m_editor;
    Prompter& m_dialogs;
    QListWidget* m_lstSpots = nullptr;
    QComboBox* m_cboSpotMode = nullptr;
    QComboBox* m_cboSpotFilter[3] = {};
    QLineEdit* m_txtSpotSort = nullptr;
    QPushButton* m_cmdSpotFilter[3] = {};
    QPushButton* m_cmdNewPropType = nullptr;
};

} // namespace zenthra
