#pragma once
// frmNewDxc and frmNewWwc: the DX-cluster or chat text in a window of its own, mirrored from the
// main window's pane while shown, with a command box that works like the main window's command
// line. Each keeps its place and size in dxc_view.dat or wwc_view.dat across runs.

#include "links/view_geometry.h"

#include <QPoint>
#include <QWidget>

class QComboBox;
class QPlainTextEdit;

namespace zenthra {

class TextWindow;

class SeparateLinkWindow : public QWidget
{
    Q_OBJECT
public:
    enum class Kind
    {
        Dxc,
        Wwc,
    };

    static QString geometryFile(Kind kind);

    // Created hidden at `origin` (the main window's place), then moved and sized as the geometry
    // file in `folder` says.
    SeparateLinkWindow(Kind kind, TextWindow& model, const QString& folder, QPoint origin, int fontSize,
                       QWidget* parent = nullptr);

    Kind kind() const { return m_kind; }
    QPlainTextEdit* pane() const { return m_pane; }
    QComboBox* commandBox() const { return m_command; }

    // Copies the main window's text in, shows the window and gives the command box the focus.
    void showMirror();
    void setFontSize(int points);

    // Twips of the outer frame.
    TwipsRect geometryTwips() const;
    void SAVE_VIEW();

Q_SIGNALS:
    // A right-button release over the pane: the main window's link menu pops up there.
    void menuRequested(const QPoint& globalPos);
    // A left-button release over the pane, with the selection (line ends as CR LF).
    void selectionReleased(const QString& selection);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void LOAD_VIEW(QPoint origin);

    Kind m_kind;
    TextWindow& m_model;
    QString m_path;
    QPlainTextEdit* m_pane = nullptr;
    QComboBox* m_command = nullptr;
    bool m_sizePending = false;
};

} // namespace zenthra
