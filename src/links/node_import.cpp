#include "node_import.h"

#include "platform/legacy_value.h"
#include "platform/numeric_text.h"
#include "platform/text_file.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>

namespace zenthra {

NodeLine splitNodeLine(const QString& line)
{
    NodeLine out;
    if (line.size() < 5 || line.front() == u'#' || line.front() == u' ') {
        return out;
    }
    const qsizetype first = line.indexOf(u',');
    const qsizetype last = line.lastIndexOf(u',');
    if (first < 0 || last == first) {
        out.verdict = NodeLine::Verdict::Unsplittable;
        return out;
    }
    out.verdict = NodeLine::Verdict::Node;
    out.name = legacy::trim(line.left(first));
    out.host = legacy::trim(line.mid(first + 1, last - first - 1));
    out.port = legacy::trim(line.mid(last + 1));
    // A byte 0x80-0x9F of a list saved by a Windows editor has been read as the quote or dash
    // its author typed; a control character left here was written as one.
    const auto control = [](const QString& field) {
        return std::any_of(field.begin(), field.end(),
                           [](QChar c) { return c.category() == QChar::Other_Control; });
    };
    const std::pair<const QString*, const char*> fields[] = {
        {&out.name, "name"}, {&out.host, "host"}, {&out.port, "port"}};
    for (const auto& [field, what] : fields) {
        if (control(*field)) {
            out.verdict = NodeLine::Verdict::Faulty;
            out.faulty = QString::fromLatin1(what);
            break;
        }
    }
    return out;
}

QString NodeImport::fileName(NodeTable table)
{
    switch (table) {
    case NodeTable::Dxc:
        return QStringLiteral("DXC.csv");
    case NodeTable::Wwc:
        return QStringLiteral("wwc.csv");
    case NodeTable::Bbs:
        return QStringLiteral("bbs.csv");
    }
    return {};
}

QString NodeImport::findFile(const QString& folder, const QString& name)
{
    const QDir dir(folder);
    if (QFileInfo::exists(dir.filePath(name))) {
        return dir.filePath(name);
    }
    // FIFOs and devices included, so that the reader refuses one as it refuses the exact name.
    const QStringList entries = dir.entryList(QDir::Files | QDir::System);
    for (const QString& entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0) {
            return dir.filePath(entry);
        }
    }
    return dir.filePath(name);
}

NodeImportRun::NodeImportRun(NodeTable table, Database& database, ImportLogin login)
    : m_table(table), m_database(database), m_list(table, database), m_login(std::move(login))
{
}

bool NodeImportRun::begin(const QString& path)
{
    m_fileName = QFileInfo(path).fileName();
    m_reader = std::make_unique<textfile::LineReader>(path);
    if (m_reader->status() != textfile::LineReader::Status::open) {
        // A file that is there but cannot be read (no permission, a folder of that name) is not
        // a missing one.
        m_outcome.failure = QFileInfo::exists(path)
                                ? accessError()
                                : SqlFailure{NodeImport::errFileNotFound, QStringLiteral("File not found")};
        m_ended = true;
        return false;
    }
    QSqlQuery q;
    if (!m_database.exec(Store::Spots, nodeSql(NodeStatement::Names, m_table, m_database.dialect()), {}, &q,
                         &m_outcome.failure)) {
        m_ended = true;
        m_reader.reset();
        return false;
    }
    while (q.next()) {
        m_names.insert(q.value(0).toString().toUpper());
    }
    return true;
}

bool NodeImportRun::step(std::chrono::milliseconds budget)
{
    if (m_ended) {
        return false;
    }
    // Prepared for each slice, so that no statement outlives a slice in which the databases may
    // have been closed or reopened.
    SqlFailure why;
    Database::Prepared insert(m_database, Store::Spots,
                              nodeSql(NodeStatement::Insert, m_table, m_database.dialect()), &why);
    if (!why.text.isEmpty()) {
        m_outcome.failure = why;
        return end(false);
    }
    QElapsedTimer slice;
    slice.start();
    while (std::optional<QString> line = m_reader->next(textfile::listLineBytes)) {
        ++m_lineNumber;
        if (!importLine(*line, *insert)) {
            return end(false);
        }
        if (slice.elapsed() >= budget.count()) {
            return true;
        }
    }
    if (m_reader->failed()) {
        m_outcome.failure = accessError();
        return end(false);
    }
    return end(true);
}

SqlFailure NodeImportRun::accessError() const
{
    return {NodeImport::errFileAccess, QStringLiteral("Path/File access error: ") + m_fileName};
}

bool NodeImportRun::importLine(const QString& line, QSqlQuery& insert)
{
    const NodeLine node = splitNodeLine(line);
    if (node.verdict == NodeLine::Verdict::Ignored) {
        return true;
    }
    if (node.verdict == NodeLine::Verdict::Unsplittable) {
        m_outcome.failure = {NodeImport::errBadLine, QStringLiteral("Invalid procedure call or argument")};
        return false;
    }
    // The rows before a faulty line stay: each was saved as its own statement.
    const auto refuse = [&](const QString& fault) {
        m_outcome.failure = {NodeImport::errBadLine,
                             QStringLiteral("Line %1 of %2: the %3. The lines before it were imported.")
                                 .arg(m_lineNumber)
                                 .arg(m_fileName, fault)};
        return false;
    };
    if (node.verdict == NodeLine::Verdict::Faulty) {
        return refuse(node.faulty + QStringLiteral(" holds a control character"));
    }
    const QString name = node.name.toUpper();
    if (m_names.contains(name)) {
        ++m_outcome.skipped;
        return true;
    }
    const NodeRecord record{
        0, name, node.host, legacy::val(node.port), m_login.username, m_login.password, m_login.connectStr};
    const QString overlong = NodeImport::overlongField(record);
    if (!overlong.isEmpty()) {
        return refuse(
            QStringLiteral("%1 is longer than %2 characters").arg(overlong).arg(NodeImport::longestField));
    }
    for (const QVariant& v : m_list.values(record)) {
        insert.addBindValue(v);
    }
    if (!m_database.run(Store::Spots, insert, &m_outcome.failure)) {
        return false;
    }
    m_names.insert(name);
    ++m_outcome.added;
    return true;
}

bool NodeImportRun::end(bool ok)
{
    m_outcome.ok = ok;
    m_ended = true;
    m_reader.reset();
    // A write that another program's lock refused would only meet the lock again.
    m_database.compactLog(Store::Spots, ok);
    return false;
}

ImportOutcome NodeImport::run(NodeTable table, Database& database, const QString& path,
                              const ImportLogin& login)
{
    NodeImportRun run(table, database, login);
    if (run.begin(path)) {
        while (run.step(std::chrono::milliseconds::max())) {
        }
    }
    return run.outcome();
}

QString NodeImport::overlongField(const NodeRecord& row)
{
    // Counted in characters, as the server counts its varchar, not in UTF-16 units.
    const auto tooLong = [](const QString& text) {
        return text.size() > longestField && text.toUcs4().size() > longestField;
    };
    if (tooLong(row.name)) {
        return QStringLiteral("name");
    }
    if (tooLong(row.host)) {
        return QStringLiteral("host");
    }
    if (tooLong(row.username)) {
        return QStringLiteral("user name");
    }
    if (tooLong(row.password)) {
        return QStringLiteral("password");
    }
    if (tooLong(row.connectStr)) {
        return QStringLiteral("connection string");
    }
    return {};
}

namespace {

QString noun(NodeTable table)
{
    switch (table) {
    case NodeTable::Dxc:
        return QStringLiteral("DX Clusters");
    case NodeTable::Wwc:
        return QStringLiteral("WWC Clusters");
    case NodeTable::Bbs:
        return QStringLiteral("BBS Clusters");
    }
    return {};
}

} // namespace

QString NodeImport::resultText(NodeTable table, int added, int skipped)
{
    return QString::number(added) + u' ' + noun(table) +
           QStringLiteral(" were successfully added to Zenthra\r\n") + QString::number(skipped) + u' ' +
           noun(table) + QStringLiteral("  were skipped as they already exist.");
}

QString NodeImport::helpTitle(NodeTable table)
{
    switch (table) {
    case NodeTable::Dxc:
        return QStringLiteral("DXC Import");
    case NodeTable::Wwc:
        return QStringLiteral("WWC Import");
    case NodeTable::Bbs:
        return QStringLiteral("BBS Import");
    }
    return {};
}

QString NodeImport::helpText(NodeTable table)
{
    QString link;
    QString file;
    QString boxes;
    QString own;
    switch (table) {
    case NodeTable::Dxc:
        link = QStringLiteral("DXC");
        file = QStringLiteral("dxc.csv");
        boxes = QStringLiteral("and click import.");
        own = QStringLiteral("DXC");
        break;
    case NodeTable::Wwc:
        link = QStringLiteral("WWC");
        file = QStringLiteral("wwc.csv");
        boxes = QStringLiteral("and select channel number and click import.");
        own = QStringLiteral("DXC/WWC");
        break;
    case NodeTable::Bbs:
        link = QStringLiteral("BBS");
        file = QStringLiteral("bbs.csv");
        boxes = QStringLiteral("and connect string and click import.");
        own = QStringLiteral("DXC/BBS");
        break;
    }
    return QStringLiteral("This is the import routine for ") + link +
           QStringLiteral(" into zenthra.\r\n\r\n") + QStringLiteral("Make sure the ") + file +
           QStringLiteral(" file is in the working folder for zenthra.exe.\r\n") +
           QStringLiteral(
               "Simply type into the text boxes your username (callsign) and password (if required) ") +
           boxes + QStringLiteral("\r\nYou can also add your own ") + own +
           QStringLiteral(
               " additions/alterations into the csv file. Simply open the csv file in notepad (make sure "
               "wordwrap is off) and follow the instructions at the top of the file.");
}

QString NodeImport::channelText(const QString& typed)
{
    if (!legacy::isNumeric(typed)) {
        return QStringLiteral("14345");
    }
    return legacy::numberText(legacy::roundHalfEven(legacy::val(typed)));
}

QString NodeImport::wwcConnectString(const QString& callsign, const QString& channel)
{
    return QStringLiteral("/n ") + callsign + u' ' +
           legacy::numberText(legacy::roundHalfEven(legacy::val(channel)));
}

} // namespace zenthra
