#pragma once
// The message boxes of the node editors and imports, behind one small interface so that tests can
// answer and record them. The default shows real boxes.

#include <QMessageBox>
#include <QString>
#include <functional>

class QWidget;

namespace zenthra {

struct LinkDialogs
{
    // A box with an OK button.
    std::function<void(QMessageBox::Icon icon, const QString& title, const QString& text)> tell;
    // A box with Yes and No buttons; true for Yes.
    std::function<bool(const QString& title, const QString& text)> confirm;

    // Boxes owned by `parent`.
    static LinkDialogs boxes(QWidget* parent);
};

} // namespace zenthra
