#include "propagation/hand_muf_window.h"

#include "core/options_model.h"
#include "core/prompter.h"
#include "platform/data_folder.h"
#include "platform/legacy_value.h"

#include <QAction>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace zenthra {

namespace {

QString indexed(const char* name, int index)
{
    return QString::fromLatin1(name) + u'(' + QString::number(index) + u')';
}

QLabel* resultLabel(const char* name)
{
    auto* l = new QLabel;
    l->setObjectName(QString::fromLatin1(name));
    l->setTextFormat(Qt::PlainText);
    return l;
}

void setIfChanged(QLineEdit* box, const QString& text)
{
    if (box->text() != text) {
        box->setText(text);
    }
}

} // namespace

HandMufWindow::HandMufWindow(const OptionsModel& options, ErrorLog& log, const DataFolder& folder,
                             Prompter& dialogs, QWidget* mainWindow)
    : QMainWindow(mainWindow, Qt::Window), m_muf(log, HandMuf::helpTitle()),
      m_settingsPath(folder.file(QLatin1String(HandMuf::fileName))), m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("frmMUF"));
    setAttribute(Qt::WA_DeleteOnClose);
    if (mainWindow) {
        setWindowIcon(mainWindow->windowIcon());
    }

    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    auto* boxes = new QGridLayout;
    const QString locatorTip = QStringLiteral("Enter a 4 digit or 6 digit locator like IO90 or JN77EX");
    const struct
    {
        const char* box;
        const char* label;
        const char* caption;
        QLineEdit** field;
    } fields[] = {{"txtFromLoc", "lblFromLoc", "From locator", &m_txtFromLoc},
                  {"txtToLoc", "lblToLoc", "To locator", &m_txtToLoc},
                  {"txtHomeLoc", "lblHomeLoc", "Home locator", &m_txtHomeLoc},
                  {"txtFreq", "lblFreq", "Frequency", &m_txtFreq}};
    int column = 0;
    for (const auto& f : fields) {
        auto* label = new QLabel(QString::fromLatin1(f.caption));
        label->setObjectName(QString::fromLatin1(f.label));
        auto* box = new QLineEdit;
        box->setObjectName(QString::fromLatin1(f.box));
        box->setToolTip(*f.field == m_txtFreq ? QString() : locatorTip);
        box->installEventFilter(this);
        boxes->addWidget(label, 0, column);
        boxes->addWidget(box, 1, column);
        *f.field = box;
        ++column;
    }
    m_txtFreq->setToolTip(QStringLiteral("Enter a frequency like 50.2 or 122.7"));
    connect(m_txtFreq, &QLineEdit::textChanged, this, &HandMufWindow::txtFreq_Change);
    layout->addLayout(boxes);

    auto* settings = new QHBoxLayout;
    m_lblEsLayerHeight = resultLabel("lblEsLayerHeight");
    m_lblMASL = resultLabel("lblMASL");
    settings->addWidget(m_lblEsLayerHeight);
    settings->addWidget(m_lblMASL);
    settings->addStretch(1);
    layout->addLayout(settings);

    m_lblAZResult = resultLabel("lblAZResult");
    m_lblAzResult2 = resultLabel("lblAzResult2");
    m_lblMidPoint = resultLabel("lblMidPoint");
    m_lblMUFqth = resultLabel("lblMUFqth");
    m_lblMUFqth2 = resultLabel("lblMUFqth2");
    m_lblFOT = resultLabel("lblFOT");
    for (QLabel* l : {m_lblAZResult, m_lblAzResult2, m_lblMidPoint, m_lblMUFqth, m_lblMUFqth2, m_lblFOT}) {
        layout->addWidget(l);
    }

    auto* buttons = new QHBoxLayout;
    const char* captions[] = {"&Calculate", HandMuf::hopFirstCaption, "C&lear"};
    for (int i = 0; i < 3; ++i) {
        m_cmdCalcMUF[i] = new QPushButton(QString::fromLatin1(captions[i]));
        m_cmdCalcMUF[i]->setObjectName(indexed("cmdCalcMUF", i));
        connect(m_cmdCalcMUF[i], &QPushButton::clicked, this, [this, i] { cmdCalcMUF_Click(i); });
    }
    // The hop button stands in the place of "&Calculate"; only one of the two shows at a time.
    buttons->addWidget(m_cmdCalcMUF[0]);
    buttons->addWidget(m_cmdCalcMUF[1]);
    buttons->addWidget(m_cmdCalcMUF[2]);
    buttons->addStretch(1);
    layout->addLayout(buttons);
    setCentralWidget(central);

    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    const auto item = [this, file](const char* name, const char* caption, const QKeySequence& key = {}) {
        QAction* a = file->addAction(QString::fromLatin1(caption));
        a->setObjectName(QString::fromLatin1(name));
        a->setShortcut(key);
        return a;
    };
    connect(item("mnuHomeLoc", "&Set Home Loc", QKeySequence(Qt::CTRL | Qt::Key_H)), &QAction::triggered,
            this, [this] { refresh(HandMuf::Focus::Home); });
    connect(item("mnuEsLayer", "Set &e layer height"), &QAction::triggered, this,
            &HandMufWindow::mnuEsLayer_Click);
    connect(item("mnuMASL", "Set &MASL"), &QAction::triggered, this, &HandMufWindow::mnuMASL_Click);
    connect(item("mnuDefaults", "Set De&faults"), &QAction::triggered, this,
            &HandMufWindow::mnuDefaults_Click);
    connect(item("mnu2xHopQrb", "Set 2 x hop qrb"), &QAction::triggered, this,
            &HandMufWindow::mnu2xHopQrb_Click);
    m_mnuCalc2xHop = item("mnuCalc2xHop", "Calculate 2x hop");
    m_mnuCalc2xHop->setCheckable(true);
    connect(m_mnuCalc2xHop, &QAction::toggled, this, [this](bool on) { m_muf.mnuCalc2xHop = on; });
    connect(item("mnuHelp", "&Help", QKeySequence(Qt::Key_F1)), &QAction::triggered, this,
            &HandMufWindow::mnuHelp_Click);
    QAction* exit = menuBar()->addAction(QStringLiteral("E&xit"));
    exit->setObjectName(QStringLiteral("mnuExit"));
    connect(exit, &QAction::triggered, this, &QWidget::close);

    m_muf.load(m_settingsPath, options.homeLocator());
    m_mnuCalc2xHop->setChecked(m_muf.mnuCalc2xHop);
    showAll();
}

HandMufWindow::~HandMufWindow()
{
    if (!m_saved) {
        m_muf.save(m_settingsPath);
    }
}

void HandMufWindow::focusFromBox()
{
    m_txtFromLoc->setFocus();
}

void HandMufWindow::takeBoxes()
{
    m_muf.txtFromLoc = m_txtFromLoc->text();
    m_muf.txtToLoc = m_txtToLoc->text();
    m_muf.txtHomeLoc = m_txtHomeLoc->text();
    m_muf.txtFreq = m_txtFreq->text();
}

void HandMufWindow::showAll()
{
    setIfChanged(m_txtFromLoc, m_muf.txtFromLoc);
    setIfChanged(m_txtToLoc, m_muf.txtToLoc);
    setIfChanged(m_txtHomeLoc, m_muf.txtHomeLoc);
    setIfChanged(m_txtFreq, m_muf.txtFreq);
    m_lblEsLayerHeight->setText(m_muf.lblEsLayerHeight);
    m_lblMASL->setText(m_muf.lblMASL);
    m_lblAZResult->setText(m_muf.lblAZResult);
    m_lblAzResult2->setText(m_muf.lblAzResult2);
    m_lblMidPoint->setText(m_muf.lblMidPoint);
    m_lblMUFqth->setText(m_muf.lblMUFqth);
    m_lblMUFqth2->setText(m_muf.lblMUFqth2);
    m_lblFOT->setText(m_muf.lblFOT);
    setWindowTitle(m_muf.title);
    m_cmdCalcMUF[0]->setVisible(m_muf.calculateVisible);
    m_cmdCalcMUF[1]->setVisible(m_muf.hopVisible);
    m_cmdCalcMUF[1]->setText(m_muf.hopCaption);
}

void HandMufWindow::refresh(HandMuf::Focus focus)
{
    showAll();
    QWidget* target = nullptr;
    switch (focus) {
    case HandMuf::Focus::Unchanged:
        break;
    case HandMuf::Focus::From:
        target = m_txtFromLoc;
        break;
    case HandMuf::Focus::To:
        target = m_txtToLoc;
        break;
    case HandMuf::Focus::Home:
        target = m_txtHomeLoc;
        break;
    case HandMuf::Focus::Frequency:
        target = m_txtFreq;
        break;
    case HandMuf::Focus::Calculate:
        target = m_cmdCalcMUF[0];
        break;
    case HandMuf::Focus::Hop:
        target = m_cmdCalcMUF[1];
        break;
    }
    if (target) {
        target->setFocus();
    }
}

void HandMufWindow::cmdCalcMUF_Click(int index)
{
    takeBoxes();
    m_muf.focus = HandMuf::Focus::Unchanged;
    switch (index) {
    case 0:
        m_muf.cmdCalculate();
        break;
    case 1:
        m_muf.cmdHop();
        break;
    case 2:
        m_muf.cmdClear();
        break;
    default:
        return;
    }
    refresh(m_muf.focus);
}

void HandMufWindow::mnuEsLayer_Click()
{
    const auto answer =
        m_dialogs.ask(QString::fromLatin1(HandMuf::layerTitle), QString::fromLatin1(HandMuf::layerPrompt),
                      QString::number(m_muf.intHandLayerHeight));
    m_muf.layerHeightAnswer(answer.value_or(QString()));
    showAll();
}

void HandMufWindow::mnuMASL_Click()
{
    const auto answer =
        m_dialogs.ask(QString::fromLatin1(HandMuf::maslTitle), QString::fromLatin1(HandMuf::maslPrompt),
                      QString::number(m_muf.intHandMasl));
    m_muf.maslAnswer(answer.value_or(QString()));
    showAll();
}

void HandMufWindow::mnuDefaults_Click()
{
    m_muf.setDefaults();
    showAll();
}

void HandMufWindow::mnu2xHopQrb_Click()
{
    const auto answer = m_dialogs.ask(QString::fromLatin1(HandMuf::doubleHopTitle),
                                      QString::fromLatin1(HandMuf::doubleHopPrompt),
                                      legacy::numberText(m_muf.sngMinDoubleHopQrb));
    m_muf.doubleHopQrbAnswer(answer.value_or(QString()));
}

void HandMufWindow::mnuHelp_Click()
{
    m_dialogs.tell(Prompter::Icon::Information, HandMuf::helpTitle(), HandMuf::helpText());
}

void HandMufWindow::txtFreq_Change()
{
    if (HandMuf::frequencyRefused(m_txtFreq->text())) {
        m_dialogs.tell(Prompter::Icon::Critical, QString::fromLatin1(HandMuf::frequencyTitle),
                       QString::fromLatin1(HandMuf::frequencyMessage));
        m_txtFreq->clear();
        m_txtFreq->setFocus();
    }
}

bool HandMufWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress) {
        return QMainWindow::eventFilter(watched, event);
    }
    auto* box = qobject_cast<QLineEdit*>(watched);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (!box) {
        return QMainWindow::eventFilter(watched, event);
    }
    m_muf.title = m_muf.baseTitle();
    setWindowTitle(m_muf.title);
    if (key->key() == Qt::Key_Space) {
        return true;
    }
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
        QWidget* next = box == m_txtHomeLoc   ? static_cast<QWidget*>(m_txtFromLoc)
                        : box == m_txtFromLoc ? static_cast<QWidget*>(m_txtToLoc)
                        : box == m_txtToLoc   ? static_cast<QWidget*>(m_txtFreq)
                                              : static_cast<QWidget*>(m_cmdCalcMUF[0]);
        next->setFocus();
        return true;
    }
    const QString typed = key->text();
    if (box != m_txtFreq && typed.size() == 1 && typed[0].isLower()) {
        box->insert(typed.toUpper());
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void HandMufWindow::closeEvent(QCloseEvent* event)
{
    // The window goes with its keep-on-top state; only the settings need keeping.
    takeBoxes();
    m_muf.save(m_settingsPath);
    m_saved = true;
    QMainWindow::closeEvent(event);
}

} // namespace zenthra
