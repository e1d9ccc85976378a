#pragma once
// The propagation keyword table tblProp: its seed rows, its loading into the in-memory list that
// the mode classifier walks, and the distinct mode words for the mode selectors.

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <array>
#include <vector>

namespace zenthra {

class Database;
class ErrorLog;

// One keyword of the list: the mode word as stored, and the keyword upper-cased without its "#"
// marks (leading and trailing blanks kept: " MS " is a whole word, " ES" a word start).
struct PropType
{
    QString mode;
    QString keyword;
    friend bool operator==(const PropType&, const PropType&) = default;
};

// The keyword list in search order, with a first-character index so that finding the first
// matching row costs one pass over the text rather than one search per keyword.
class PropTypeList
{
public:
    PropTypeList() = default;
    explicit PropTypeList(QList<PropType> rows);

    const QList<PropType>& rows() const { return m_rows; }
    qsizetype size() const { return m_rows.size(); }
    bool isEmpty() const { return m_rows.isEmpty(); }
    const PropType& operator[](qsizetype i) const { return m_rows[i]; }

    // The index of the first row, in list order, whose keyword occurs anywhere in `upperText`
    // (already upper case), or -1. An empty keyword occurs in every text.
    qsizetype firstMatch(QStringView upperText) const;

private:
    QList<PropType> m_rows;
    std::array<std::vector<qsizetype>, 128> m_byAsciiStart; // rows by the keyword's first character
    std::vector<qsizetype> m_otherStart;                    // rows whose keyword starts beyond ASCII
    qsizetype m_firstEmpty = -1;
};

// One seed row of tblProp: the mode, the keyword as stored (between "#" marks) and its order key.
struct PropSeed
{
    const char* propId;
    const char* propCheck;
    const char* sortOrder;
};

// Owns the loaded keyword list (arrPropTypes) and fills it from tblProp.
class PropKeywords
{
public:
    static constexpr int seedCount = 148;
    static const std::array<PropSeed, seedCount>& seedRows();
    // The list a freshly seeded table loads as.
    static PropTypeList seedList();

    explicit PropKeywords(ErrorLog& log);

    // Creates and seeds tblProp when it is missing (in one transaction), then loads it. The list
    // is replaced only by a load that read every row; rows with an empty keyword are left out, since
    // an empty keyword would catch every spot. A failed load is logged and keeps the old list.
    void POPULATE_PROPAGATION_ARRAYS(Database& db);

    // The distinct mode words of tblProp in ascending order, for a mode selector (its caller
    // empties the selector and adds these). Empty when the query cannot be run.
    QStringList FILL_PROPAGATION_LIST(Database& db) const;

    const PropTypeList& arrPropTypes() const { return m_list; }
    // False until the first successful load.
    bool loaded() const { return m_loaded; }

private:
    void createAndSeed(Database& db);

    ErrorLog& m_log;
    PropTypeList m_list;
    bool m_loaded = false;
};

} // namespace zenthra
