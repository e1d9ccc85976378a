#include "spots/spot_filter_window.h"

#include "core/prompter.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace zenthra {

namespace {

QString indexed(const char* name, int index)
{
    return QString::fromLatin1(name) + u'(' + QString::number(index) + u')';
}

QLabel* caption(int index, const char* text)
{
    auto* l = new QLabel(QString::fromLatin1(text));
    l->setObjectName(indexed("lblSpot", index));
    return l;
}

} // namespace

SpotFilterWindow::SpotFilterWindow(Database& db, PropKeywords& keywords, Prompter& dialogs,
                                   QWidget* mainWindow)
    : QWidget(mainWindow, Qt::Window), m_editor(db, keywords), m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("frmSpotFilter"));
    setWindowTitle(QStringLiteral("Spot Filter"));
    setAttribute(Qt::WA_DeleteOnClose);
    if (mainWindow) {
        setWindowIcon(mainWindow->windowIcon());
        const QRect outer = mainWindow->frameGeometry();
        move(std::abs(outer.x()), std::abs(outer.y()));
    }

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(caption(0, "Click on item in the list to edit it and change order"));
    m_lstSpots = new QListWidget;
    m_lstSpots->setObjectName(QStringLiteral("lstSpots"));
    QFont fixed(QStringLiteral("Courier New"));
    fixed.setStyleHint(QFont::Monospace);
    m_lstSpots->setFont(fixed);
    connect(m_lstSpots, &QListWidget::itemClicked, this, &SpotFilterWindow::lstSpots_Click);
    layout->addWidget(m_lstSpots, 1);
    layout->addWidget(caption(1, "Change the spot detail here"));

    auto* edit = new QGridLayout;
    edit->addWidget(caption(3, "Propagation Type"), 0, 0);
    edit->addWidget(caption(2, "Spot Order"), 0, 1);
    m_cboSpotMode = new QComboBox;
    m_cboSpotMode->setObjectName(QStringLiteral("cboSpotMode"));
    edit->addWidget(m_cboSpotMode, 1, 0);
    QStringList keyCharacters;
    for (char c = '0'; c <= '9'; ++c) {
        keyCharacters.append(QString(QChar::fromLatin1(c)));
    }
    for (char c = 'A'; c <= 'Z'; ++c) {
        keyCharacters.append(QString(QChar::fromLatin1(c)));
    }
    auto* order = new QHBoxLayout;
    for (int i = 0; i < 3; ++i) {
        m_cboSpotFilter[i] = new QComboBox;
        m_cboSpotFilter[i]->setObjectName(indexed("cboSpotFilter", i));
        m_cboSpotFilter[i]->addItems(keyCharacters);
        order->addWidget(m_cboSpotFilter[i]);
    }
    edit->addLayout(order, 1, 1);
    m_txtSpotSort = new QLineEdit;
    m_txtSpotSort->setObjectName(QStringLiteral("txtSpotSort"));
    edit->addWidget(m_txtSpotSort, 2, 0, 1, 2);
    layout->addLayout(edit);

    auto* buttons = new QHBoxLayout;
    const char* captions[] = {"Add / Update", "Delete", "E&xit"};
    for (int i = 0; i < 3; ++i) {
        m_cmdSpotFilter[i] = new QPushButton(QString::fromLatin1(captions[i]));
        m_cmdSpotFilter[i]->setObjectName(indexed("cmdSpotFilter", i));
        connect(m_cmdSpotFilter[i], &QPushButton::clicked, this, [this, i] { cmdSpotFilter_Click(i); });
        buttons->addWidget(m_cmdSpotFilter[i]);
    }
    m_cmdNewPropType = new QPushButton(QStringLiteral("New Prop Type"));
    m_cmdNewPropType->setObjectName(QStringLiteral("cmdNewPropType"));
    connect(m_cmdNewPropType, &QPushButton::clicked, this, &SpotFilterWindow::cmdNewPropType_Click);
    buttons->addWidget(m_cmdNewPropType);
    layout->addLayout(buttons);

    LOAD_PROP_LIST();
    fillModes();
}

void SpotFilterWindow::LOAD_PROP_LIST()
{
    const int row = m_lstSpots->currentRow();
    m_lstSpots->clear();
    m_lstSpots->addItems(m_editor.LOAD_PROP_LIST());
    if (row >= 0 && row < m_lstSpots->count()) {
        m_lstSpots->setCurrentRow(row);
    }
}

void SpotFilterWindow::fillModes()
{
    const QString current = m_cboSpotMode->currentText();
    m_cboSpotMode->clear();
    m_cboSpotMode->addItems(m_editor.modes());
    const int index = m_cboSpotMode->findText(current);
    if (index >= 0) {
        m_cboSpotMode->setCurrentIndex(index);
    }
}

void SpotFilterWindow::lstSpots_Click(QListWidgetItem* item)
{
    if (!item) {
        return;
    }
    const auto fields = m_editor.lstSpots_Click(item->text());
    if (!fields) {
        return;
    }
    for (int i = 0; i < 3 && i < fields->orderKey.size(); ++i) {
        const int index = m_cboSpotFilter[i]->findText(fields->orderKey.mid(i, 1));
        if (index >= 0) {
            m_cboSpotFilter[i]->setCurrentIndex(index);
        }
    }
    const int mode = m_cboSpotMode->findText(fields->mode);
    if (mode >= 0) {
        m_cboSpotMode->setCurrentIndex(mode);
    }
    m_txtSpotSort->setText(fields->keyword);
}

void SpotFilterWindow::cmdSpotFilter_Click(int index)
{
    switch (index) {
    case 0: {
        KeywordEditor::Fields fields;
        fields.mode = m_cboSpotMode->currentText();
        fields.keyword = m_txtSpotSort->text();
        for (QComboBox* box : m_cboSpotFilter) {
            fields.orderKey += box->currentText();
        }
        const KeywordEditor::Outcome outcome = m_editor.UPDATE_PROP(fields);
        LOAD_PROP_LIST();
        report(outcome);
        break;
    }
    case 1: {
        const KeywordEditor::Outcome outcome = m_editor.DELETE_PROP(m_txtSpotSort->text());
        LOAD_PROP_LIST();
        m_txtSpotSort->clear();
        report(outcome);
        break;
    }
    case 2:
        close();
        break;
    default:
        break;
    }
}

void SpotFilterWindow::cmdNewPropType_Click()
{
    const auto answer = m_dialogs.ask(QString::fromLatin1(KeywordEditor::newTypeTitle),
                                      QString::fromLatin1(KeywordEditor::newTypePrompt), {});
    bool added = false;
    const KeywordEditor::Outcome outcome = m_editor.cmdNewPropType(answer.value_or(QString()), &added);
    if (added) {
        LOAD_PROP_LIST();
        fillModes();
    }
    report(outcome);
}

void SpotFilterWindow::report(const KeywordEditor::Outcome& outcome)
{
    if (!outcome.silent()) {
        m_dialogs.tell(outcome.failed ? Prompter::Icon::Critical : Prompter::Icon::Information, outcome.title,
                       outcome.text);
    }
}

} // namespace zenthra
