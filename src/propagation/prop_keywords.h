#pragma once
// The propagation keywords: the seed rows of the table tblProp and the in-memory list, loaded from
// that table, that the mode classifier walks. The table itself is kept by the database layer.

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <array>
#include <utility>
#include <vector>

namespace zenthra {

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

// Owns the loaded keyword list (arrPropTypes).
class PropKeywords
{
public:
    static constexpr int seedCount = 148;
    static const std::array<PropSeed, seedCount>& seedRows();
    // The list a freshly seeded table loads as.
    static PropTypeList seedList();

    explicit PropKeywords(ErrorLog& log);

    // The list from the rows of tblProp as read, each its mode word and its keyword as stored;
    // rows with an empty keyword are left out, since an empty keyword would catch every spot.
    void load(const QList<std::pair<QString, QString>>& stored);
    // A list another layer loaded from the same table.
    void adopt(const PropTypeList& list)
    {
        m_list = list;
        m_loaded = true;
    }
    // A load that could not read every row: logged under its number, and the old list stays.
    void loadFailed(double number);

    const PropTypeList& arrPropTypes() const { return m_list; }
    // False until the first successful load.
    bool loaded() const { return m_loaded; }

private:
    ErrorLog& m_log;
    PropTypeList m_list;
    bool m_loaded = false;
};

} // namespace zenthra
