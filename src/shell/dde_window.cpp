#include "shell/dde_window.h"

#include "core/options_model.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace zenthra {

namespace {
QString indexed(const char* name, int index)
{
    return QString::fromLatin1(name) + u'(' + QString::number(index) + u')';
}
} // namespace

LinkToLoggerWindow::LinkToLoggerWindow(OptionsModel& options, QWidget* mainWindow)
    : QDialog(mainWindow), m_options(options)
{
    setObjectName(QStringLiteral("frmLinkToLogger"));
    setWindowTitle(QStringLiteral("DDE to Logger"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    if (mainWindow) {
        setWindowIcon(mainWindow->windowIcon());
    }

    const char* captions[] = {"EXE Name: (Case Sensitive!!)",
                              "Link Topic (Case Sensitive!!):", "Link Item (Case Sensitive!!):"};
    const QString values[] = {m_options.strDdeExeName, m_options.strDdeTopic, m_options.strDdeItem};
    auto* layout = new QVBoxLayout(this);
    for (int i = 0; i < 3; ++i) {
        m_lblPoker[i] = new QLabel(QString::fromLatin1(captions[i]));
        m_lblPoker[i]->setObjectName(indexed("lblPoker", i));
        m_txtPoker[i] = new QLineEdit(values[i]);
        m_txtPoker[i]->setObjectName(indexed("txtPoker", i));
        m_lblPoker[i]->setBuddy(m_txtPoker[i]);
        layout->addWidget(m_lblPoker[i]);
        layout->addWidget(m_txtPoker[i]);
    }
    // The address is "host:port", or a bare port on this machine.
    m_txtPoker[0]->setToolTip(QStringLiteral("host:port of the logging program, or its port on this PC"));

    const char* buttons[] = {"&Update", "E&xit"};
    auto* row = new QHBoxLayout;
    for (int i = 0; i < 2; ++i) {
        m_cmdPoker[i] = new QPushButton(QString::fromLatin1(buttons[i]));
        m_cmdPoker[i]->setObjectName(indexed("cmdPoker", i));
        m_cmdPoker[i]->setAutoDefault(false);
        connect(m_cmdPoker[i], &QPushButton::clicked, this, [this, i] { cmdPoker_Click(i); });
        row->addWidget(m_cmdPoker[i]);
    }
    layout->addLayout(row);

    if (mainWindow) {
        move(mainWindow->frameGeometry().topLeft());
    }
}

void LinkToLoggerWindow::cmdPoker_Click(int index)
{
    if (index == 0) {
        m_options.strDdeExeName = m_txtPoker[0]->text().trimmed();
        m_options.strDdeTopic = m_txtPoker[1]->text().trimmed();
        m_options.strDdeItem = m_txtPoker[2]->text().trimmed();
    } else if (index == 1) {
        close();
    }
}

} // namespace zenthra
