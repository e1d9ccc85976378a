#include "shell/main_window.h"

#include "links/command_lines.h"
#include "maps/muf_map_window.h"
#include "platform/twips.h"
#include "platform/window_place.h"
#include "shell/analysis_window.h"
#include "shell/application.h"
#include "shell/command_menus.h"
#include "shell/dialog_menus.h"
#include "shell/link_menus.h"
#include "shell/log.h"
#include "shell/map_menus.h"
#include "shell/mapper_menus.h"
#include "shell/menu_table.h"
#include "shell/option_menus.h"
#include "shell/spider_menus.h"
#include "shell/spot_road_wiring.h"
#include "shell/text_view.h"
#include "shell/window_menus.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSplitter>
#include <QTabWidget>
#include <QVBoxLayout>
#include <cmath>

namespace zenthra {

namespace {

QString indexed(const char* name, int index)
{
    return QString::fromLatin1(name) + u'(' + QString::number(index) + u')';
}

QLabel* label(const QString& name, const QString& text)
{
    auto* l = new QLabel(text);
    l->setObjectName(name);
    return l;
}

QLabel* commandLabel(int index, const QString& text)
{
    QLabel* l = label(indexed("lblSpot", index), text);
    QFont font(QStringLiteral("Terminal"));
    font.setStyleHint(QFont::TypeWriter);
    l->setFont(font);
    return l;
}

QComboBox* commandCombo(const QString& name)
{
    auto* box = new QComboBox;
    box->setObjectName(name);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    return box;
}

QPushButton* button(const QString& name, const QString& text, const QString& tip = {})
{
    auto* b = new QPushButton(text);
    b->setObjectName(name);
    if (!tip.isEmpty()) {
        b->setToolTip(tip);
    }
    return b;
}

} // namespace

MainWindow::MainWindow(Application& app, QWidget* parent) : QMainWindow(parent), m_app(app)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(m_app.status());
    connect(&m_app, &Application::statusChanged, this, &QWidget::setWindowTitle);

    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(4, 4, 4, 4);
    // The stored geometry rules, as on the original form: a small window clips its controls
    // rather than refusing the size.
    layout->setSizeConstraint(QLayout::SetNoConstraint);
    layout->addWidget(buildTabs(), 1);
    layout->addWidget(buildPanel());
    central->setMinimumSize(1, 1);
    setCentralWidget(central);
    buildMenus();

    resize(toPixels(Application::restoredWidth, true), toPixels(Application::restoredHeight, false));

    OptionsModel& options = m_app.options();
    connect(&options, &OptionsModel::homeLocatorChanged, this, [this](const QString& text) {
        if (m_txtHomeLoc->text() != text) {
            m_txtHomeLoc->setText(text);
        }
    });
    connect(&m_app, &Application::utcTimeChanged, m_lblUtcTime, &QLabel::setText);
    connect(m_tabSporadic, &QTabWidget::currentChanged, this, &MainWindow::TAB_EVENTS);
    // The spot road's option menus, the DDE menu and the DEBUG button.
    auto* optionMenus = new OptionMenus(m_app, *this);
    // File, font, backup, map and tool-window dialogs; the text windows' commands and pop-ups.
    new DialogMenus(m_app, *this, *optionMenus);
    // The map's draw, clear and save items and its pop-up menu.
    new MapMenus(m_app, *this, *optionMenus);
    auto* windowMenus = new WindowMenus(m_app, *this, *optionMenus);
    // The average-MUF and single-spot map windows.
    new MapperMenus(m_app, *this, *optionMenus);
    new SpiderMenus(*this, {options, m_app.textWindows(), m_app.links(), m_app.errorLog(),
                            m_app.spiderTable(), m_app.folder(), *optionMenus});
    // The command lines, the "DXC ?:" box and the ready-made command menus.
    new CommandMenus(m_app, *this, *optionMenus);
    // The link menus, the node editors and imports, the separate windows and the help window.
    new LinkMenus(m_app, *this, *optionMenus, *windowMenus);
    // The "&Update Dx" controls, the call/locator menu items and the spot pointer.
    connectSpotRoadWindow(*this, m_app, {m_txtdbCall, m_txtdbLoc, m_upDateDb});
    new AnalysisWindow(
        m_app.analysisReports(), m_app.textWindows(), m_app.options(), [this] { return m_app.dtmUtcNow(); },
        m_analysisControls, this);

    // Every subsystem has bound its items by now. A binding under a misspelt name is refused
    // above, and its item is left here.
    for (const QString& name : unboundMenuItems()) {
        qCCritical(lcShell, "the menu item \"%s\" is bound to no handler", qUtf8Printable(name));
    }
}

MainWindow::~MainWindow() = default;

QStringList MainWindow::unboundMenuItems() const
{
    return zenthra::unboundMenuItems([this](const QString& name) { return hasMenuHandler(name); });
}

QWidget* MainWindow::buildTabs()
{
    TextWindows& windows = m_app.textWindows();
    m_tabSporadic = new QTabWidget;
    m_tabSporadic->setObjectName(QStringLiteral("tabSporadic"));
    m_tabSporadic->setToolTip(QStringLiteral("Zenthra spots from the DX Cluster"));
    m_tabSporadic->setFont(QFont(QStringLiteral("Arial")));

    m_TBCluster = makeTextView(QStringLiteral("TBCluster"));
    bindTextView(windows.TBCluster, m_TBCluster);
    for (int i = 0; i < 5; ++i) {
        m_txtDataRetrieval[i] = makeTextView(indexed("txtDataRetrieval", i));
        bindTextView(windows.txtDataRetrieval[i], m_txtDataRetrieval[i]);
    }
    // The WWC tab's upper pane mirrors the DXC window while the split view is on; it keeps still
    // while "Disable window auto Scroll" is ticked.
    m_txtDataRetrieval[5] = makeTextView(indexed("txtDataRetrieval", 5));
    bindTextView(
        windows.TBCluster, m_txtDataRetrieval[5], [this] { return m_splitOn; },
        [this](Caret) { return m_app.options().blnNoAutoScroll ? Caret::Keep : Caret::LastLineStart; },
        [](const QString& text) {
            return CommandLines::mirroredText(text, CommandLines::dxcLabel, CommandLines::dxcSplitLabel);
        });

    // 0 DXC
    auto* dxc = new QWidget;
    auto* dxcLayout = new QVBoxLayout(dxc);
    dxcLayout->addWidget(m_TBCluster, 1);
    auto* dxcLine = new QHBoxLayout;
    m_txtDxCommand = commandCombo(QStringLiteral("txtDxCommand"));
    dxcLine->addWidget(commandLabel(1, QStringLiteral("DXC COMMANDS:")));
    dxcLine->addWidget(m_txtDxCommand, 1);
    dxcLayout->addLayout(dxcLine);
    m_tabSporadic->addTab(dxc, QStringLiteral("DXC"));

    // 1 MUF SPOTS, 2 VHF+ SPOTS
    m_tabSporadic->addTab(m_txtDataRetrieval[0], QStringLiteral("MUF SPOTS"));
    m_tabSporadic->addTab(m_txtDataRetrieval[1], QStringLiteral("VHF+ SPOTS"));

    // 3 WWC
    auto* wwc = new QWidget;
    auto* wwcLayout = new QVBoxLayout(wwc);
    m_cmdWwcPageSplitter = new QSplitter(Qt::Vertical);
    m_cmdWwcPageSplitter->setObjectName(QStringLiteral("cmdWwcPageSplitter"));
    m_cmdWwcPageSplitter->setChildrenCollapsible(false);
    m_cmdWwcPageSplitter->addWidget(m_txtDataRetrieval[5]);
    m_cmdWwcPageSplitter->addWidget(m_txtDataRetrieval[2]);
    m_cmdWwcPageSplitter->setStretchFactor(0, 1);
    m_cmdWwcPageSplitter->setStretchFactor(1, 2);
    m_txtDataRetrieval[5]->hide();
    wwcLayout->addWidget(m_cmdWwcPageSplitter, 1);
    auto* wwcLine = new QHBoxLayout;
    m_txtWwcCommand = commandCombo(QStringLiteral("txtWwcCommand"));
    m_chkWWCtoDXC = new QCheckBox(QStringLiteral("DXC ?:"));
    m_chkWWCtoDXC->setObjectName(QStringLiteral("chkWWCtoDXC"));
    wwcLine->addWidget(commandLabel(0, QStringLiteral("WWC COMMANDS:")));
    wwcLine->addWidget(m_txtWwcCommand, 1);
    wwcLine->addWidget(m_chkWWCtoDXC);
    wwcLayout->addLayout(wwcLine);
    m_tabSporadic->addTab(wwc, QStringLiteral("WWC"));

    // 4 ANALYSIS
    auto* analysis = new QWidget;
    auto* analysisLayout = new QVBoxLayout(analysis);
    analysisLayout->addWidget(m_txtDataRetrieval[3], 1);
    auto* container = new QFrame;
    container->setObjectName(QStringLiteral("fmeAnalysisContainer"));
    auto* grid = new QGridLayout(container);
    // The five boxes in label order, each with its txtAnalysis index, longest text, tooltip and
    // design text.
    const struct
    {
        const char* label;
        int index;
        int maxLength;
        const char* tip;
        const char* text;
    } fields[] = {
        {"No of Records? (5 to 9999)", 3, 4, nullptr, "150"},
        {"Date", 0, 20, "Use dd/mm/yy format in uk or mm/dd/yy format in eu etc", nullptr},
        {"Time Start", 1, 8, "Time format = hh:mm ie 03:22", nullptr},
        {"Time Finish", 2, 8, "Time format = hh:mm ie 22:54", nullptr},
        {"Search Callsign", 4, 20, nullptr, nullptr},
    };
    for (int i = 0; i < 5; ++i) {
        const auto& f = fields[i];
        grid->addWidget(label(indexed("lblNoOfRecs", i), QString::fromLatin1(f.label)), 0, i);
        auto* field = new QLineEdit;
        field->setObjectName(indexed("txtAnalysis", f.index));
        m_analysisControls.txtAnalysis[size_t(f.index)] = field;
        field->setMaxLength(f.maxLength);
        if (f.tip) {
            field->setToolTip(QString::fromLatin1(f.tip));
        }
        if (f.text) {
            field->setText(QString::fromLatin1(f.text));
        }
        grid->addWidget(field, 1, i);
    }
    for (int i = 0; i < 2; ++i) {
        auto* box = new QComboBox;
        box->setObjectName(indexed("cboAnalysisMode", i));
        m_analysisControls.cboAnalysisMode[size_t(i)] = box;
        grid->addWidget(box, 2, i);
    }
    auto* descending = new QRadioButton(QStringLiteral("Descending"));
    descending->setObjectName(indexed("optSortMode", 0));
    auto* ascending = new QRadioButton(QStringLiteral("Ascending"));
    ascending->setObjectName(indexed("optSortMode", 1));
    m_analysisControls.optSortMode = {descending, ascending};
    auto* sortModes = new QWidget;
    auto* sortModeLayout = new QHBoxLayout(sortModes);
    sortModeLayout->setContentsMargins(0, 0, 0, 0);
    sortModeLayout->addWidget(ascending);
    sortModeLayout->addWidget(descending);
    grid->addWidget(sortModes, 2, 2, 1, 3);
    auto* sortBy = new QWidget;
    auto* sortByLayout = new QHBoxLayout(sortBy);
    sortByLayout->setContentsMargins(0, 0, 0, 0);
    const char* sortCaptions[] = {"Order By MUF", "Order By FOT", "Order By Time"};
    for (int i = 0; i < 3; ++i) {
        auto* option = new QRadioButton(QString::fromLatin1(sortCaptions[i]));
        option->setObjectName(indexed("optSortMuf", i));
        m_analysisControls.optSortMuf[size_t(i)] = option;
        sortByLayout->addWidget(option);
    }
    auto* allDates = new QCheckBox(QStringLiteral("All Dates"));
    allDates->setObjectName(QStringLiteral("chkAllDates"));
    m_analysisControls.chkAllDates = allDates;
    sortByLayout->addWidget(allDates);
    grid->addWidget(sortBy, 3, 0, 1, 5);
    auto* buttons = new QHBoxLayout;
    m_analysisControls.cmdAnalysis =
        button(QStringLiteral("cmdAnalysis"), QStringLiteral("Get Data"), QStringLiteral("Get the raw data"));
    m_analysisControls.cmdAnnounce = button(QStringLiteral("cmdAnnounce"), QStringLiteral("Announcements"));
    m_analysisControls.cmdAnnWWv = button(QStringLiteral("cmdAnnWWv"), QStringLiteral("wwv / wcy"));
    buttons->addWidget(m_analysisControls.cmdAnalysis);
    buttons->addWidget(m_analysisControls.cmdAnnounce);
    buttons->addWidget(m_analysisControls.cmdAnnWWv);
    m_cmdSaveAnalysis = button(QStringLiteral("cmdSaveAnalysis"), QStringLiteral("Save as file"));
    buttons->addWidget(m_cmdSaveAnalysis);
    grid->addLayout(buttons, 4, 0, 1, 5);
    analysisLayout->addWidget(container);
    m_tabSporadic->addTab(analysis, QStringLiteral("ANALYSIS"));

    // 5 MUF MAP
    auto* map = new MufMapTab(m_app.mufMap());
    m_tabSporadic->addTab(map, QStringLiteral("MUF MAP"));

    // 6 BBS
    auto* bbs = new QWidget;
    auto* bbsLayout = new QVBoxLayout(bbs);
    bbsLayout->addWidget(m_txtDataRetrieval[4], 1);
    auto* bbsLine = new QHBoxLayout;
    m_txtBbsCommand = new QLineEdit;
    m_txtBbsCommand->setObjectName(QStringLiteral("txtBbsCommand"));
    bbsLine->addWidget(commandLabel(2, QStringLiteral("BBS COMMANDS:")));
    bbsLine->addWidget(m_txtBbsCommand, 1);
    bbsLayout->addLayout(bbsLine);
    m_tabSporadic->addTab(bbs, QStringLiteral("BBS"));

    return m_tabSporadic;
}

QWidget* MainWindow::buildPanel()
{
    // Two rows: at the default width of the window one row cannot hold every label whole.
    auto* panel = new QWidget;
    auto* rows = new QVBoxLayout(panel);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(0);
    auto* row = new QHBoxLayout;
    auto* dbRow = new QHBoxLayout;
    rows->addLayout(row);
    rows->addLayout(dbRow);

    auto* main = new QFrame;
    main->setObjectName(QStringLiteral("fmeMainForm"));
    auto* mainLayout = new QHBoxLayout(main);
    mainLayout->addWidget(label(indexed("Label2", 0), QStringLiteral("Home Locator")));
    m_txtHomeLoc = new QLineEdit;
    m_txtHomeLoc->setObjectName(QStringLiteral("txtHomeLoc"));
    m_txtHomeLoc->setToolTip(QStringLiteral("Enter your home locator like IO90IR"));
    m_txtHomeLoc->setMaximumWidth(100);
    connect(m_txtHomeLoc, &QLineEdit::textChanged, this, &MainWindow::txtHomeLoc_Change);
    mainLayout->addWidget(m_txtHomeLoc);
    m_lblUtcTime = label(QStringLiteral("lblUtcTime"), QStringLiteral("00:22:33z"));
    m_lblUtcTime->setToolTip(QStringLiteral("Current Time"));
    mainLayout->addWidget(m_lblUtcTime);

    auto* database = new QFrame;
    database->setObjectName(QStringLiteral("fmeDxDatabase"));
    auto* dbLayout = new QHBoxLayout(database);
    dbLayout->addWidget(label(indexed("Label2", 3), QStringLiteral("DX DATABASE")));
    dbLayout->addWidget(label(indexed("Label2", 1), QStringLiteral("Dx Call")));
    m_txtdbCall = new QLineEdit;
    m_txtdbCall->setObjectName(QStringLiteral("txtdbCall"));
    m_txtdbCall->setMaximumWidth(100);
    dbLayout->addWidget(m_txtdbCall);
    dbLayout->addWidget(label(indexed("Label2", 2), QStringLiteral("Dx Locator")));
    m_txtdbLoc = new QLineEdit;
    m_txtdbLoc->setObjectName(QStringLiteral("txtdbLoc"));
    m_txtdbLoc->setMaximumWidth(80);
    dbLayout->addWidget(m_txtdbLoc);
    m_upDateDb = button(QStringLiteral("upDateDb"), QStringLiteral("&Update Dx"));
    dbLayout->addWidget(m_upDateDb);
    m_Command1 = button(QStringLiteral("Command1"), QStringLiteral("DEBUG"));
    dbLayout->addWidget(m_Command1);
    row->addWidget(main);
    row->addStretch(1);

    auto* exitFrame = new QFrame;
    exitFrame->setObjectName(QStringLiteral("fmeExit"));
    auto* exitLayout = new QHBoxLayout(exitFrame);
    QPushButton* exit = button(QStringLiteral("cmdExit"), QStringLiteral("E&xit"),
                               QStringLiteral("Disconnect from the cluster and exit the program"));
    connect(exit, &QPushButton::clicked, this, &QWidget::close);
    exitLayout->addWidget(exit);
    m_cmdClearWindows = button(QStringLiteral("cmdClearWindows"), QStringLiteral("Clea&r"));
    exitLayout->addWidget(m_cmdClearWindows);
    row->addWidget(exitFrame);
    dbRow->addWidget(database);
    dbRow->addStretch(1);
    return panel;
}

void MainWindow::buildMenus()
{
    OptionsModel& options = m_app.options();
    for (const MenuEntry& entry : menuTable()) {
        QMenu* parent = m_menus.value(entry.parent);
        switch (entry.kind) {
        case MenuKind::Menu: {
            QMenu* m = parent ? parent->addMenu(entry.caption) : menuBar()->addMenu(entry.caption);
            m->setObjectName(entry.name);
            m->menuAction()->setObjectName(entry.name);
            m->menuAction()->setVisible(!entry.hiddenInDesign);
            m_menus.insert(entry.name, m);
            m_actions.insert(entry.name, m->menuAction());
            break;
        }
        case MenuKind::Separator: {
            QAction* a = parent->addSeparator();
            a->setObjectName(entry.name);
            m_actions.insert(entry.name, a);
            break;
        }
        case MenuKind::Item: {
            QAction* a = parent->addAction(entry.caption);
            a->setObjectName(entry.name);
            if (!entry.shortcut.isEmpty()) {
                a->setShortcut(QKeySequence(entry.shortcut));
            }
            if (entry.check == CheckBehaviour::Toggle) {
                a->setCheckable(true);
                a->setChecked(options.checked(entry.name));
            }
            a->setVisible(!entry.hiddenInDesign);
            const QString name = entry.name;
            connect(a, &QAction::triggered, this, [this, name] { onMenuTriggered(name); });
            m_actions.insert(entry.name, a);
            break;
        }
        }
    }

    connect(&options, &OptionsModel::checkChanged, this, [this](const QString& item, bool on) {
        if (QAction* a = m_actions.value(item); a && a->isCheckable()) {
            a->setChecked(on);
        }
    });
    connect(&options, &OptionsModel::spiderMenuVisibleChanged, this,
            [this](bool visible) { m_menus.value(keys::spiderMenu)->menuAction()->setVisible(visible); });

    setMenuHandler(keys::saveSettings, [this] { m_app.setStatus(m_app.SAVE_SETTINGS()); });
    setMenuHandler(keys::restoreScreen, [this] { m_app.RESTORE_SCREEN(); });
    setMenuHandler(keys::exitProgram, [this] { close(); });
    for (int i = 0; i < 7; ++i) {
        setMenuHandler(keys::tab(i), [this, i] { m_tabSporadic->setCurrentIndex(i); });
    }
    setMenuHandler(keys::wwcSeeDxcWindow,
                   [this] { setSplitView(m_app.options().toggle(keys::wwcSeeDxcWindow)); });
}

QAction* MainWindow::menuItem(const QString& name) const
{
    return m_actions.value(name);
}

QMenu* MainWindow::menu(const QString& name) const
{
    return m_menus.value(name);
}

QPlainTextEdit* MainWindow::txtDataRetrieval(int index) const
{
    Q_ASSERT_X(index >= 0 && index < 6, "MainWindow", "no such text window");
    return m_txtDataRetrieval[index];
}

void MainWindow::setMenuHandler(const QString& name, std::function<void()> handler)
{
    // A misspelt or stale name would leave the item doing nothing without a word.
    if (const MenuEntry* entry = findMenuEntry(name); !entry || entry->kind != MenuKind::Item) {
        qCCritical(lcShell, "\"%s\" is no item of the menus", qUtf8Printable(name));
        Q_ASSERT_X(false, "MainWindow", "a handler for a name that is no menu item");
        return;
    }
    m_handlers.insert(name, std::move(handler));
}

void MainWindow::onMenuTriggered(const QString& name)
{
    OptionsModel& options = m_app.options();
    if (const auto it = m_handlers.constFind(name); it != m_handlers.constEnd()) {
        (*it)();
    } else if (const MenuEntry* entry = findMenuEntry(name);
               entry && entry->check == CheckBehaviour::Toggle) {
        options.toggle(name);
    }
    if (QAction* a = m_actions.value(name); a && a->isCheckable()) {
        a->setChecked(options.checked(name));
    }
}

void MainWindow::txtHomeLoc_Change()
{
    const QString upper = m_txtHomeLoc->text().toUpper();
    if (upper != m_txtHomeLoc->text()) {
        m_txtHomeLoc->setText(upper);
    }
    m_txtHomeLoc->setCursorPosition(static_cast<int>(m_txtHomeLoc->text().size()));
    m_app.options().setHomeLocator(upper);
}

void MainWindow::TAB_EVENTS(int tab)
{
    switch (tab) {
    case 0:
        m_app.showHideMap(false);
        m_txtDxCommand->setFocus();
        break;
    case 1:
    case 2:
        m_app.showHideMap(false);
        break;
    case 3:
        m_app.showHideMap(false);
        if (m_app.options().checked(keys::wwcPopupMessage)) {
            m_app.showWwcPopup();
        }
        m_txtWwcCommand->setFocus();
        break;
    case 4:
        m_app.showHideMap(false);
        m_app.populateAnalysisOptions();
        break;
    case 5:
        m_app.sqlRecovery();
        m_app.showHideMap(true);
        break;
    case 6:
        m_app.showHideMap(false);
        m_txtBbsCommand->setFocus();
        break;
    default:
        break;
    }
}

int MainWindow::toPixels(float twips, bool horizontal) const
{
    return twipsToPixels(twips, horizontal ? logicalDpiX() : logicalDpiY());
}

float MainWindow::toTwips(int pixels, bool horizontal) const
{
    return pixelsToTwips(pixels, horizontal ? logicalDpiX() : logicalDpiY());
}

TwipsRect MainWindow::geometryTwips() const
{
    return pixelsToTwips(m_outerPending ? m_outer : frameGeometry(), {logicalDpiX(), logicalDpiY()});
}

TwipsRect MainWindow::fitToScreens(const TwipsRect& wanted, const TwipsPoint& defaultPlace) const
{
    const Dpi dpi{logicalDpiX(), logicalDpiY()};
    return zenthra::fitToScreens(wanted, availableScreens(dpi), defaultPlace);
}

void MainWindow::setOuterGeometry(const QRect& outer)
{
    // The frame is known only once the window is shown: until then the outer geometry is kept
    // and applied again when it shows.
    if (!isVisible()) {
        m_outer = outer;
        m_outerPending = true;
    }
    const int frameWidth = frameGeometry().width() - width();
    const int frameHeight = frameGeometry().height() - height();
    // A size the window cannot take leaves it as it was.
    const QSize inner(outer.width() - frameWidth, outer.height() - frameHeight);
    if (inner.width() > 0 && inner.height() > 0 && inner != size()) {
        resize(inner);
    }
    if (outer.topLeft() != frameGeometry().topLeft()) {
        move(outer.topLeft());
    }
}

void MainWindow::changeOuter(const std::function<void(QRect&)>& change)
{
    QRect outer = m_outerPending ? m_outer : frameGeometry();
    change(outer);
    setOuterGeometry(outer);
}

void MainWindow::setHeightTwips(float twips)
{
    changeOuter([&](QRect& r) { r.setHeight(toPixels(twips, false)); });
}

void MainWindow::setWidthTwips(float twips)
{
    changeOuter([&](QRect& r) { r.setWidth(toPixels(twips, true)); });
}

void MainWindow::setTopTwips(float twips)
{
    changeOuter([&](QRect& r) { r.moveTop(toPixels(twips, false)); });
}

void MainWindow::setLeftTwips(float twips)
{
    changeOuter([&](QRect& r) { r.moveLeft(toPixels(twips, true)); });
}

void MainWindow::setNormalState()
{
    setWindowState(windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
}

void MainWindow::showAndSettle()
{
    show();
    QCoreApplication::processEvents();
    if (m_outerPending) {
        m_outerPending = false;
        setOuterGeometry(m_outer);
        QCoreApplication::processEvents();
    }
}

void MainWindow::applyFontSize(int points)
{
    if (points <= 0) {
        return;
    }
    const auto apply = [points](QWidget* w) {
        QFont font = w->font();
        font.setPointSize(points);
        w->setFont(font);
    };
    apply(m_TBCluster);
    for (QPlainTextEdit* view : m_txtDataRetrieval) {
        apply(view);
    }
}

void MainWindow::setSplitView(bool on)
{
    QPlainTextEdit* pane = m_txtDataRetrieval[5];
    if (on && !m_splitOn) {
        m_splitOn = true;
        resetTextView(m_app.textWindows().TBCluster, pane);
        pane->show();
        // The panes take their share of the tab from its current size, never from an earlier split.
        const int total = std::max(3, m_cmdWwcPageSplitter->height());
        m_cmdWwcPageSplitter->setSizes({total / 3, total - total / 3});
        // The view brings its caret into view when it is seen, also when turned on from another tab.
        moveViewCaret(pane, Caret::LastLineStart);
    } else if (!on && m_splitOn) {
        m_splitOn = false;
        pane->hide();
    }
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (!m_app.ended()) {
        m_app.CLOSE_ZENTHRA(0);
    }
    event->accept();
}

} // namespace zenthra
