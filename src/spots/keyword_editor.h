#pragma once
// The keyword editor's work on tblProp: the list lines, reading a clicked line back into the
// edit fields, replacing a keyword's row, deleting one, and adding a new mode word through a
// placeholder row. Every value is bound; a replacement runs in one transaction, so a refused
// insert leaves the old row in place. After each change of a keyword the classifier's list is
// reloaded, so the next spot is classified with the new table.

#include <QString>
#include <QStringList>
#include <optional>

namespace zenthra {

class Database;
class PropKeywords;

class KeywordEditor
{
public:
    static constexpr const char* newTypePrompt =
        "Please type the new prop type  MAX 6 char, only A to Z, no numbers etc).";
    static constexpr const char* newTypeTitle = " New propagation type";
    static constexpr const char* newTypeAddedTitle = "New propagation mode added";
    static constexpr const char* newTypeFailedTitle = "An error occured";
    static constexpr const char* placeholderKeyword = "#CHANGE ME#";
    static constexpr const char* placeholderOrder = "000";

    // What the edit fields show for one row.
    struct Fields
    {
        QString orderKey; // three characters
        QString mode;
        QString keyword; // without its "#" marks
    };

    // The outcome of a command: the message to show, if any, and whether it reports a failure.
    struct Outcome
    {
        bool failed = false;
        QString title;
        QString text;
        bool silent() const { return text.isEmpty(); }
    };

    KeywordEditor(Database& db, PropKeywords& keywords);

    // One line per row in the classifier's order: order key, two blanks, the stored keyword with
    // its "#" marks, a TAB and the mode. Empty when the table cannot be read.
    QStringList LOAD_PROP_LIST() const;
    // The distinct mode words, for the mode selector.
    QStringList modes() const;
    // The row a list line stands for, or nothing when it is no longer in the table.
    std::optional<Fields> lstSpots_Click(const QString& line) const;

    // "Add / Update": the row with this keyword (upper-cased, double quotation marks dropped)
    // becomes the one on screen. A blank keyword (which would match every spot), a mode that is
    // not 1 to 6 letters A-Z nor a mode word of the table, or an order key that is not three
    // characters is refused. Both lists are reloaded whatever the outcome.
    Outcome UPDATE_PROP(const Fields& fields);
    // "Delete": removes the row of that keyword; a keyword not in the table changes nothing.
    Outcome DELETE_PROP(const QString& keyword);
    // "New Prop Type" with the answer typed (the empty text for Cancel): nothing for an empty
    // answer, else the message to show; `added` tells the window to refill its lists.
    Outcome cmdNewPropType(const QString& answer, bool* added = nullptr);

    // The keyword as stored: upper case, without double quotation marks, between "#" marks.
    static QString framedKeyword(const QString& keyword);

private:
    void reloadClassifier();

    Database& m_db;
    PropKeywords& m_keywords;
};

} // namespace zenthra
