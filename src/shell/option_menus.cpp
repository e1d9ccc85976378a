#include "shell/option_menus.h"

#include "platform/legacy_value.h"
#include "shell/application.h"
#include "shell/dde_window.h"
#include "shell/main_window.h"
#include "shell/topmost.h"
#include "spots/alarm_sounds.h"

#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QPushButton>

namespace zenthra {

// Every prompt has two blanks after "for": the pieces meet that way.
constexpr auto leading = legacy::NumberReading::LeadingNumber;
const OptionMenus::NumberPrompt OptionMenus::eLayerHeightPrompt{
    "Please type the number in KM (Min 80 Max 160) for  E layer height.", {leading, 80, 160}};
const OptionMenus::NumberPrompt OptionMenus::maslPrompt{
    "Please type the number in M (Min 1 Max 10000) for  your height + dx height, e.g. 150",
    {leading, 1, 10000}};
const OptionMenus::NumberPrompt OptionMenus::doubleHopMinQrbPrompt{
    "Please type the number in KM (Min 1000 Max 5200) for  Double hop start point.", {leading, 1000, 5200}};
const OptionMenus::NumberPrompt OptionMenus::minEsQrb6mPrompt{
    "Please type the number in KM (Min 110) for  the minimum QRB where 6m spots can count as ES spots.",
    {leading, 110, 10000}};
const OptionMenus::NumberPrompt OptionMenus::minEsQrb4mPrompt{
    "Please type the number in KM (Min 280) for  the minimum QRB where 4m spots can count as ES spots.",
    {leading, 280, 3000}};
const OptionMenus::NumberPrompt OptionMenus::minEsQrb2mPrompt{
    "Please type the number in KM (Min 720) for  the minimum QRB where 2m spots can count as ES spots.",
    {leading, 720, 3000}};
const OptionMenus::NumberPrompt OptionMenus::maxEsQrb6mPrompt{
    "Please type the number in KM (Max 10000) for  the maximum QRB where 6m spots can still count as ES "
    "spots.",
    {leading, 111, 10000, false}};

std::optional<double> OptionMenus::NumberPrompt::accept(const QString& answer) const
{
    return legacy::boundedNumber(answer, bounds);
}

OptionMenus::OptionMenus(Application& app, MainWindow& window)
    : QObject(&window), m_app(app), m_window(window)
{
    setObjectName(QStringLiteral("optionMenus"));
    m_inputBox = [this](const QString& title, const QString& prompt,
                        const QString& defaultAnswer) -> std::optional<QString> {
        bool ok = false;
        const QString answer =
            QInputDialog::getText(&m_window, title, prompt, QLineEdit::Normal, defaultAnswer, &ok);
        if (!ok) {
            return std::nullopt;
        }
        return answer;
    };
    m_messageBox = [this](QMessageBox::Icon icon, const QString& title, const QString& text,
                          bool fixedWidth) {
        QMessageBox box(icon, title.isEmpty() ? QApplication::applicationName() : title, text,
                        QMessageBox::Ok, &m_window);
        if (fixedWidth) {
            box.setStyleSheet(QStringLiteral("QLabel { font-family: monospace; }"));
        }
        box.exec();
    };

    window.setMenuHandler(keys::logHfToDb, [this] { chkCalcHF_Click(); });
    window.setMenuHandler(keys::logHiddenHfToDb, [this] { chkCalcHF_Hidden_Click(); });
    window.setMenuHandler(keys::announceToDb, [this] { mnuAnnToDb_Click(); });
    const struct
    {
        QString (*all)(int);
        QString (*group)(int);
        int count;
    } groups[] = {{keys::filterHFAll, keys::filterHF, 10},
                  {keys::filterVHFAll, keys::filterVHF, 4},
                  {keys::filterUHFAll, keys::filterUHF, 6}};
    for (const auto& g : groups) {
        for (int index = 0; index < 2; ++index) {
            window.setMenuHandler(g.all(index), [this, group = g.group, count = g.count, index] {
                filterAll_Click(group, count, index);
            });
        }
    }
    for (int index = 4; index <= 6; ++index) {
        window.setMenuHandler(keys::esOptions(index), [this, index] { mnuEsOptions_Click(index); });
    }
    for (int index = 0; index <= 1; ++index) {
        window.setMenuHandler(keys::esDoubleHop(index), [this, index] { mnuEsDoubleHop_Click(index); });
    }
    for (int index = 0; index <= 5; ++index) {
        window.setMenuHandler(keys::esQrb(index), [this, index] { mnuEsQrb_Click(index); });
    }
    window.setMenuHandler(keys::ddeSetup, [this] { mnuDDE_Click(0); });
    // "Edit spot filter" and "Hand MUF Calc" open their windows through DialogMenus.

    connect(window.Command1(), &QPushButton::clicked, this, &OptionMenus::Command1_Click);
    QPointer<QLineEdit> homeLoc = window.txtHomeLoc();
    m_app.lineFilter().sinks().focusHomeLocator = [homeLoc] {
        if (homeLoc) {
            homeLoc->setFocus();
        }
    };
}

OptionMenus::~OptionMenus()
{
    m_app.lineFilter().sinks().focusHomeLocator = nullptr;
}

std::optional<double> OptionMenus::askNumber(const NumberPrompt& prompt, const QString& current)
{
    const std::optional<QString> answer =
        m_inputBox(QApplication::applicationName(), QString::fromLatin1(prompt.prompt), current);
    return prompt.accept(answer.value_or(QString()));
}

void OptionMenus::chkCalcHF_Click()
{
    OptionsModel& options = m_app.options();
    if (options.checked(keys::logHfToDb)) {
        options.setChecked(keys::logHfToDb, false);
    } else {
        options.setChecked(keys::logHfToDb, true);
        options.setChecked(keys::logHiddenHfToDb, false);
    }
}

void OptionMenus::mnuAnnToDb_Click()
{
    m_app.announcements().CREATE_ANNOUNCE_TABLE();
    m_app.options().toggle(keys::announceToDb);
}

void OptionMenus::chkCalcHF_Hidden_Click()
{
    OptionsModel& options = m_app.options();
    if (options.checked(keys::logHiddenHfToDb)) {
        options.setChecked(keys::logHiddenHfToDb, false);
    } else {
        options.setChecked(keys::logHiddenHfToDb, true);
        options.setChecked(keys::logHfToDb, false);
    }
}

void OptionMenus::filterAll_Click(QString (*group)(int), int count, int index)
{
    if (index != 0 && index != 1) {
        return;
    }
    for (int i = 0; i < count; ++i) {
        m_app.options().setChecked(group(i), index == 0);
    }
}

void OptionMenus::mnuEsOptions_Click(int index)
{
    OptionsModel& options = m_app.options();
    switch (index) {
    case 0:
    case 1:
    case 2:
    case 3:
        options.toggle(keys::esOptions(index));
        break;
    case 4:
        if (const auto v = askNumber(eLayerHeightPrompt, legacy::numberText(options.dblELayerHeight))) {
            options.dblELayerHeight = *v;
        }
        break;
    case 5:
        if (const auto v = askNumber(maslPrompt, legacy::numberText(options.dblMasl))) {
            options.dblMasl = *v;
        }
        break;
    case 6:
        SET_BELL_MUF_LEVEL();
        break;
    default:
        break;
    }
}

void OptionMenus::mnuEsDoubleHop_Click(int index)
{
    OptionsModel& options = m_app.options();
    switch (index) {
    case 0:
        if (options.checked(keys::calcDoubleHop)) {
            options.setChecked(keys::calcDoubleHop, false);
        } else {
            options.setChecked(keys::calcDoubleHop, true);
            if (options.intDoubleHopMinQrb < 1000) {
                options.intDoubleHopMinQrb = 2700;
            }
        }
        break;
    case 1:
        if (const auto v =
                askNumber(doubleHopMinQrbPrompt, legacy::numberText(double(options.intDoubleHopMinQrb)))) {
            if (const auto qrb = legacy::toInt16(*v)) {
                options.intDoubleHopMinQrb = *qrb;
            }
        }
        break;
    case 2:
    case 3:
    case 4:
        options.toggle(keys::esDoubleHop(index));
        break;
    default:
        break;
    }
}

void OptionMenus::mnuEsQrb_Click(int index)
{
    ES_QRB_SETTINGS(index);
}

void OptionMenus::ES_QRB_SETTINGS(int index)
{
    OptionsModel& options = m_app.options();
    ClassifierOptions& c = options.classifier;
    const auto ask = [this](const NumberPrompt& prompt, float& value) {
        if (const auto v = askNumber(prompt, legacy::numberText(value))) {
            value = static_cast<float>(*v);
        }
    };
    switch (index) {
    case 0:
    case 5:
        // The model keeps blnEs2mWindows and blnEsBeyond5000 equal to these marks.
        options.toggle(keys::esQrb(index));
        break;
    case 1:
        ask(minEsQrb6mPrompt, c.sngMinEsQrb6m);
        break;
    case 2:
        ask(minEsQrb4mPrompt, c.sngMinEsQrb4m);
        break;
    case 3:
        ask(minEsQrb2mPrompt, c.sngMinEsQrb2m);
        break;
    case 4:
        ask(maxEsQrb6mPrompt, c.sngMaxEsQrb6m);
        break;
    default:
        break;
    }
}

void OptionMenus::SET_BELL_MUF_LEVEL()
{
    OptionsModel& options = m_app.options();
    const std::optional<QString> answer = m_inputBox(QString::fromLatin1(AlarmSounds::levelTitle),
                                                     QString::fromLatin1(AlarmSounds::levelPrompt),
                                                     legacy::numberText(options.sngBellMufLevel));
    if (const auto level =
            AlarmSounds::bellMufLevelAnswer(answer.value_or(QString()), options.sngBellMufLevel)) {
        options.sngBellMufLevel = *level;
    }
}

void OptionMenus::mnuDDE_Click(int index)
{
    if (index == 0) {
        if (!m_frmLinkToLogger) {
            m_frmLinkToLogger = new LinkToLoggerWindow(m_app.options(), &m_window);
        }
        m_frmLinkToLogger->show();
        SET_TOPMOST(m_frmLinkToLogger, true);
    } else if (index == 1) {
        // The application starts and stops the sender timer with the mark.
        m_app.options().toggle(keys::ddeLink);
    }
}

void OptionMenus::Command1_Click()
{
    // With its line end, as every received line now comes: the filter drops the last character
    // of what it is given, which would otherwise be the "6" of the sample's locator.
    QString line = LineFilter::debugLine() + QLatin1String("\r\n");
    QString shown = m_app.lineFilter().FILTER_DXC_BY_FREQ(line);
    m_app.textWindows().POPULATE_DXC_WINDOW(shown);
    m_app.mainTimers().intReconnectTicks = 99;
}

void OptionMenus::tell(Prompter::Icon icon, const QString& title, const QString& text) const
{
    tell(icon == Prompter::Icon::Critical ? QMessageBox::Critical : QMessageBox::Information, title, text);
}

} // namespace zenthra
