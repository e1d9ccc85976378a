#include "shell/help_window.h"

#include "platform/regular_file.h"
#include "platform/rtf_reader.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBlockFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QVBoxLayout>

namespace zenthra {

QString HelpWindow::helpFile(int index)
{
    switch (index) {
    case 0:
        return QStringLiteral("muf_guide.rtf");
    case 1:
        return QStringLiteral("clx_help.rtf");
    case 2:
        return QStringLiteral("wwc_help.rtf");
    default:
        return {};
    }
}

QString HelpWindow::caption(const QString& version)
{
    return QStringLiteral("Cluster Help  --- Zenthra V") + version + QStringLiteral(" ---");
}

HelpWindow::HelpWindow(QString folder, const QString& version, QWidget* parent)
    : QWidget(parent, Qt::Window), m_folder(std::move(folder))
{
    setObjectName(QStringLiteral("frmClusterHelp"));
    setWindowTitle(caption(version));
    setAttribute(Qt::WA_DeleteOnClose);

    auto* layout = new QVBoxLayout(this);
    m_txtHelp = new QTextEdit;
    m_txtHelp->setObjectName(QStringLiteral("txtHelp"));
    m_txtHelp->setReadOnly(true);
    layout->addWidget(m_txtHelp, 1);

    auto* frame = new QFrame;
    frame->setObjectName(QStringLiteral("fmeClxHelp"));
    auto* row = new QHBoxLayout(frame);
    const std::pair<int, const char*> buttons[] = {
        {0, "&Manual"}, {1, "&DX Cluster"}, {2, "&WWC"}, {99, "E&xit"}};
    for (const auto& [index, text] : buttons) {
        auto* b = new QPushButton(QString::fromLatin1(text));
        b->setObjectName(QStringLiteral("cmdHelp(%1)").arg(index));
        connect(b, &QPushButton::clicked, this, [this, i = index] { cmdHelp_Click(i); });
        row->addWidget(b);
    }
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(frame);
    layout->addLayout(bottom);
    resize(720, 560);
    cmdHelp_Click(0);
}

void HelpWindow::cmdHelp_Click(int index)
{
    if (index == 99) {
        close();
        return;
    }
    const QString name = helpFile(index);
    if (!name.isEmpty()) {
        showFile(name);
    }
}

void HelpWindow::setFontSize(int points)
{
    if (points <= 0) {
        return;
    }
    QFont font = m_txtHelp->font();
    font.setPointSize(points);
    m_txtHelp->setFont(font);
    if (!m_shown.isEmpty()) {
        showFile(m_shown);
    }
}

void HelpWindow::showFile(const QString& name)
{
    m_shown = name;
    const auto error = [this](double number, const QString& description) {
        m_txtHelp->setPlainText(QStringLiteral("Error: ") + QString::number(number) + u'\t' + description);
    };
    const FileBytes file = readRegular(m_folder + u'/' + name, maxFileBytes);
    switch (file.check) {
    case FileCheck::regular:
        break;
    case FileCheck::tooLarge:
        error(errTooLarge,
              name + QStringLiteral(" is larger than %1 MB and is not shown").arg(maxFileBytes >> 20));
        return;
    default:
        error(errFileNotFound, QStringLiteral("File not found"));
        return;
    }
    QString why;
    const std::optional<RtfText> text = readRtf(file.bytes, &why);
    if (!text) {
        error(errBadFile, QStringLiteral("Invalid file format"));
        return;
    }
    auto* doc = new QTextDocument(m_txtHelp);
    doc->setDefaultFont(m_txtHelp->font());
    QTextCursor cursor(doc);
    bool first = true;
    for (const RtfParagraph& paragraph : text->paragraphs) {
        if (!first) {
            cursor.insertBlock(QTextBlockFormat(), QTextCharFormat());
        }
        first = false;
        for (const RtfRun& run : paragraph.runs) {
            QTextCharFormat format;
            format.setFontWeight(run.bold ? QFont::Bold : QFont::Normal);
            format.setFontItalic(run.italic);
            if (run.halfPoints > 0) {
                format.setFontPointSize(run.halfPoints / 2.0);
            }
            if (run.colour) {
                format.setForeground(QColor(QRgb(*run.colour)));
            }
            cursor.insertText(run.text, format);
        }
    }
    // The text box deletes the document it showed before, as that one is its child too.
    m_txtHelp->setDocument(doc);
    QTextCursor top = m_txtHelp->textCursor();
    top.setPosition(0);
    m_txtHelp->setTextCursor(top);
}

} // namespace zenthra
