#pragma once
// The program as main() builds it, headless, with every input and message box answered or
// recorded by the test, and the pop-up menus recorded instead of shown.

#include "shell/application.h"
#include "shell/dialog_menus.h"
#include "shell/main_window.h"
#include "shell/option_menus.h"
#include "shell/window_menus.h"
#include "support/eventually.h"
#include "support/print_qstring.h"
#include "support/temp_folder.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTest>
#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <optional>
#include <vector>

namespace zenthra::test {

struct Asked
{
    QString title;
    QString prompt;
    QString defaultAnswer;
};

struct Told
{
    QMessageBox::Icon icon;
    QString title;
    QString text;
    bool fixedWidth;
};

struct DialogProgram
{
    TempFolder dir;
    std::unique_ptr<Application> app;
    std::unique_ptr<MainWindow> window;
    std::vector<Asked> asked;
    std::vector<Told> told;
    // Answers given in turn (false: the user cancels); when none is left the user cancels.
    std::deque<std::pair<bool, QString>> answers;
    // What happens while a pop-up is open (the menu shown, the test's own checks).
    std::function<void(QMenu*)> whilePopupOpen;
    std::vector<QMenu*> popups;

    DialogProgram()
    {
        app = std::make_unique<Application>(DataFolder(dir.path()));
        window = std::make_unique<MainWindow>(*app);
        app->setView(window.get());
        app->options().sngWindowBuffer = 100000;
        OptionMenus* menus = window->findChild<OptionMenus*>();
        menus->setInputBox([this](const QString& title, const QString& prompt, const QString& defaultAnswer) {
            asked.push_back({title, prompt, defaultAnswer});
            std::optional<QString> result;
            if (!answers.empty()) {
                if (answers.front().first) {
                    result = answers.front().second;
                }
                answers.pop_front();
            }
            return result;
        });
        menus->setMessageBox(
            [this](QMessageBox::Icon icon, const QString& title, const QString& text, bool fixedWidth) {
                told.push_back({icon, title, text, fixedWidth});
            });
        window->findChild<WindowMenus*>()->setPopup([this](QMenu* menu, const QPoint&) {
            popups.push_back(menu);
            if (whilePopupOpen) {
                whilePopupOpen(menu);
            }
        });
    }
    ~DialogProgram()
    {
        window.reset();
        app.reset();
    }
    OptionMenus& optionMenus() const { return *window->findChild<OptionMenus*>(); }
    DialogMenus& dialogMenus() const { return *window->findChild<DialogMenus*>(); }
    void answer(const char* text) { answers.emplace_back(true, QString::fromUtf8(text)); }
    void cancel() { answers.emplace_back(false, QString()); }
    void click(const QString& name) const
    {
        QAction* a = window->menuItem(name);
        ASSERT_NE(a, nullptr) << name.toStdString();
        a->trigger();
    }
    // A check mark as the model holds it; the menu must show the same.
    bool ticked(const QString& name) const
    {
        const bool model = app->options().checked(name);
        EXPECT_EQ(window->menuItem(name)->isChecked(), model) << name.toStdString();
        return model;
    }
    // Waits until the text views show their models (each catches up at the end of the turn of the
    // event loop that changed its model).
    void settle() const { EXPECT_EVENTUALLY(viewsShowTheirModels(), 2000); }
    bool viewsShowTheirModels() const
    {
        TextWindows& w = app->textWindows();
        const auto shows = [](const QPlainTextEdit* view, const TextWindow& model) {
            return view->toPlainText() == model.text().remove(u'\r');
        };
        bool all = shows(window->TBCluster(), w.TBCluster);
        for (int i = 0; i < 5; ++i) {
            all = all && shows(window->txtDataRetrieval(i), w.txtDataRetrieval[i]);
        }
        // The upper pane of the WWC tab mirrors the DXC window while the split view is on.
        return all && (!window->splitView() || shows(window->txtDataRetrieval(5), w.TBCluster));
    }
};

} // namespace zenthra::test
