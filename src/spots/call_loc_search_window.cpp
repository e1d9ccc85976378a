#include "spots/call_loc_search_window.h"

#include "core/error_log.h"
#include "spots/call_locator.h"

#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <cstdlib>

namespace zenthra {

namespace {

QString withoutTabs(QString text)
{
    return text.remove(u'\t');
}

} // namespace

CallLocSearchWindow::CallLocSearchWindow(CallLocator& calls, ErrorLog& log,
                                         std::function<QString()> homeLocator,
                                         std::function<QDateTime()> utcNow, QWidget* mainWindow, int fontSize,
                                         QWidget* parent)
    : QWidget(parent, Qt::Window), m_calls(calls), m_log(log), m_homeLocator(std::move(homeLocator)),
      m_utcNow(std::move(utcNow))
{
    setObjectName(QStringLiteral("frmSearchCallLoc"));
    setWindowTitle(QStringLiteral("Call/Loc Search"));

    auto* layout = new QVBoxLayout(this);
    auto* fields = new QGridLayout;
    const char* labels[] = {"Callsign", "Locator"};
    const char* tips[] = {"Enter Call to search / Add", "Enter Locator to search / Add"};
    for (int i = 0; i < 2; ++i) {
        lblSearch[i] = new QLabel(QString::fromLatin1(labels[i]));
        lblSearch[i]->setObjectName(QStringLiteral("lblSearch(%1)").arg(i));
        txtSearch[i] = new QLineEdit;
        txtSearch[i]->setObjectName(QStringLiteral("txtSearch(%1)").arg(i));
        txtSearch[i]->setToolTip(QString::fromLatin1(tips[i]));
        fields->addWidget(lblSearch[i], 0, i);
        fields->addWidget(txtSearch[i], 1, i);
    }
    layout->addLayout(fields);

    auto* buttons = new QHBoxLayout;
    const char* captions[] = {"&Search", "&Update", "E&xit"};
    const char* buttonTips[] = {"Search the DX Database for call / loc",
                                "Add to the DX Database the call / loc", nullptr};
    for (int i = 0; i < 3; ++i) {
        cmdSearchAdd[i] = new QPushButton(QString::fromLatin1(captions[i]));
        cmdSearchAdd[i]->setObjectName(QStringLiteral("cmdSearchAdd(%1)").arg(i));
        if (buttonTips[i]) {
            cmdSearchAdd[i]->setToolTip(QString::fromLatin1(buttonTips[i]));
        }
        connect(cmdSearchAdd[i], &QPushButton::clicked, this, [this, i] { cmdSearchAdd_Click(i); });
        buttons->addWidget(cmdSearchAdd[i]);
    }
    layout->addLayout(buttons);

    txtSearchResults = new QPlainTextEdit;
    txtSearchResults->setObjectName(QStringLiteral("txtSearchResults"));
    txtSearchResults->setReadOnly(true);
    txtSearchResults->setLineWrapMode(QPlainTextEdit::NoWrap);
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    if (fontSize > 0) {
        font.setPointSize(fontSize);
    }
    txtSearchResults->setFont(font);
    layout->addWidget(txtSearchResults, 1);

    resize(640, 400);
    if (mainWindow) {
        const QRect outer = mainWindow->frameGeometry();
        move(std::abs(outer.x()), std::abs(outer.y()));
    }
}

void CallLocSearchWindow::cmdSearchAdd_Click(int index)
{
    switch (index) {
    case 0: {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        const QString call = withoutTabs(txtSearch[0]->text()).trimmed();
        const QString loc = withoutTabs(txtSearch[1]->text()).trimmed();
        const QString report = m_calls.Search_Call_loc_DB(call, loc, m_homeLocator());
        // The text keeps CR LF; the view shows one line per row.
        txtSearchResults->setPlainText(QString(report).remove(u'\r'));
        QGuiApplication::restoreOverrideCursor();
        break;
    }
    case 1: {
        QString call = withoutTabs(txtSearch[0]->text());
        setWindowTitle(m_calls.DX_DATABASE(call, withoutTabs(txtSearch[1]->text()), m_utcNow()));
        break;
    }
    case 2:
        close();
        break;
    default:
        m_log.WRITE_ERROR_LOG(9, QStringLiteral("cmdSearchAdd_Click(%1)").arg(index));
        break;
    }
}

} // namespace zenthra
