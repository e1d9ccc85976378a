#pragma once
// The hand MUF calculator's logic: two locators from a spot, the frequency and the home locator
// in; the path's figures, the reflection point, where home should beam and the double-hop steps
// out. It holds the calculator's boxes, labels, title and buttons as texts and flags, so the
// window only mirrors it and every rule can be tested without one.

#include "propagation/muf_calcs.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace zenthra {

class ErrorLog;

class HandMuf
{
public:
    static constexpr const char* fileName = "handmuf.dat";
    // Layer height, heights above sea level, the double-hop tick and its distance.
    static constexpr qsizetype lineCount = 4;
    static constexpr const char* errorsTitle = "Errors Occurred..";
    static constexpr const char* hopFirstCaption = "show 1st hop";
    static constexpr const char* hopSecondCaption = "show 2nd hop";
    static constexpr const char* noHomeNote = "Set your home locator to see where to beam";

    // Menu input boxes: prompt, title.
    static constexpr const char* layerPrompt = "Please enter a number between 90 and 130";
    static constexpr const char* layerTitle = "es Layer Height?";
    static constexpr const char* maslPrompt = "Please enter a number between 1 and 5000.\rNOTE: this only "
                                              "sets your masl, the dx masl is set at 150m.";
    static constexpr const char* maslTitle = "Height above sea level?";
    static constexpr const char* doubleHopPrompt =
        "Please type the number in km (Min 1000, max 5400) for  what "
        "you want the  minimum double hop distance to be.";
    static constexpr const char* doubleHopTitle = "es 2x hop min qrb";
    static constexpr const char* frequencyMessage = "ONLY FREQUENCY NUMBER!!!!";
    static constexpr const char* frequencyTitle = "Number......";

    // Columns of arrMufResult (those of the spot queue's record).
    enum Column
    {
        colFrom = 1,
        colFreq = 2,
        colTo = 4,
        colQtf = 8,
        colQrb = 9,
        colElevation = 10,
        colMidLocator = 11,
        colCritFreq = 12,
        colMuf = 13,
        colHome = 14,
        colTryTowards = 15,
        colHomeQtf = 16,
        colHomeQrb = 17,
        colHomeElevation = 18,
        colFot = 19,
        columnCount = 21,
    };

    // Where the focus goes after a command.
    enum class Focus
    {
        Unchanged,
        From,
        To,
        Home,
        Frequency,
        Calculate,
        Hop,
    };

    HandMuf(ErrorLog& log, QString baseTitle);

    // Load: the settings file (a missing or unreadable line keeps that value), the home locator
    // of the main window, then the defaults for values out of bounds, and the two settings labels.
    void load(const QString& path, const QString& homeLocator);
    // Unload: the four lines of the settings file.
    bool save(const QString& path) const;

    // "&Calculate": nothing without a numeric frequency; otherwise checks the locators and fills
    // the labels, or shows why it cannot; starts a double hop when one is due.
    void cmdCalculate();
    // The hop button: the first, then the second hop of the stored path.
    void cmdHop();
    // "C&lear": boxes and results emptied; home box, settings and hop state stay.
    void cmdClear();
    // "Set De&faults".
    void setDefaults();
    // Answers of the three menu input boxes (the empty text for Cancel); true when taken.
    bool layerHeightAnswer(const QString& answer);
    bool maslAnswer(const QString& answer);
    bool doubleHopQrbAnswer(const QString& answer);
    // A non-empty frequency box that is not a number is refused (the window says so and empties it).
    static bool frequencyRefused(const QString& text);

    void CHECK_LOCSYNTAX();
    void ProcessMufData();

    const QString& baseTitle() const { return m_baseTitle; }
    static QString helpTitle();
    static QString helpText();

    // Settings.
    qint16 intHandLayerHeight = 0;
    qint16 intHandMasl = 0;
    float sngMinDoubleHopQrb = 0;
    bool mnuCalc2xHop = false;

    // Boxes, labels, title and buttons as the window shows them.
    QString txtFromLoc, txtToLoc, txtHomeLoc, txtFreq;
    QString lblAZResult, lblAzResult2, lblMidPoint, lblMUFqth, lblMUFqth2, lblFOT;
    QString lblEsLayerHeight, lblMASL;
    QString title;
    bool calculateVisible = true;
    bool hopVisible = false;
    QString hopCaption = QString::fromLatin1(hopFirstCaption);
    Focus focus = Focus::Unchanged;

    qint16 intLocErrorCode = 0;
    QString strLocErrorText;
    qint16 intHopState = 0;
    QString strHopFrom, strHopMid, strHopTo;
    QStringList arrMufResult;

private:
    void updateSettingLabels(bool grouped);
    void clearResultLabels();
    double column(Column c) const;

    ErrorLog& m_log;
    MufCalcs m_calcs;
    QString m_baseTitle;
};

} // namespace zenthra
