#include "shell/command_box.h"

#include "links/command_lines.h"

#include <QComboBox>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>

namespace zenthra {

namespace {

// Delete on a history entry chosen whole from the list removes it, then edits as usual.
class DeleteKeyFilter : public QObject
{
public:
    DeleteKeyFilter(CommandLine& line, QComboBox* box) : QObject(box), m_line(line), m_box(box) {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
            const int index = m_box->currentIndex();
            const auto selected = m_box->lineEdit()->selectedText().size();
            m_line.deleteKey(index, static_cast<int>(selected));
        }
        return QObject::eventFilter(watched, event);
    }

private:
    CommandLine& m_line;
    QComboBox* m_box;
};

void setText(QLineEdit* edit, const QString& text)
{
    edit->setText(text);
    edit->setCursorPosition(static_cast<int>(text.size()));
}

void showHistory(QComboBox* box, const QStringList& entries)
{
    const QString typed = box->currentText();
    const QSignalBlocker block(box);
    box->clear();
    box->addItems(entries);
    box->setCurrentIndex(-1);
    box->setEditText(typed);
}

} // namespace

void bindCommandBox(CommandLine& line, QComboBox* box)
{
    if (!box || !box->lineEdit()) {
        return;
    }
    QLineEdit* edit = box->lineEdit();
    QObject::connect(edit, &QLineEdit::returnPressed, box, [&line, edit] { line.enter(edit->text()); });
    edit->installEventFilter(new DeleteKeyFilter(line, box));
    QObject::connect(&line, &CommandLine::textSet, box, [edit](const QString& text) { setText(edit, text); });
    QObject::connect(&line, &CommandLine::focusRequested, box, [box] { box->setFocus(); });
    if (CommandHistory* history = line.history()) {
        QObject::connect(history, &CommandHistory::changed, box,
                         [box, history] { showHistory(box, history->entries()); });
        showHistory(box, history->entries());
    }
}

void bindCommandBox(CommandLine& line, QLineEdit* edit)
{
    if (!edit) {
        return;
    }
    QObject::connect(edit, &QLineEdit::returnPressed, edit, [&line, edit] { line.enter(edit->text()); });
    QObject::connect(&line, &CommandLine::textSet, edit,
                     [edit](const QString& text) { setText(edit, text); });
    QObject::connect(&line, &CommandLine::focusRequested, edit, [edit] { edit->setFocus(); });
}

} // namespace zenthra
