#include "link_dialogs.h"

#include <QPointer>
#include <QWidget>

namespace zenthra {

LinkDialogs LinkDialogs::boxes(QWidget* parent)
{
    QPointer<QWidget> owner(parent);
    LinkDialogs d;
    d.tell = [owner](QMessageBox::Icon icon, const QString& title, const QString& text) {
        QMessageBox box(icon, title, text, QMessageBox::Ok, owner.data());
        box.exec();
    };
    d.confirm = [owner](const QString& title, const QString& text) {
        return QMessageBox::question(owner.data(), title, text, QMessageBox::Yes | QMessageBox::No) ==
               QMessageBox::Yes;
    };
    return d;
}

} // namespace zenthra
