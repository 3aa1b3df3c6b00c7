#include "readers/moxbauditparser.h"

#include "common/Trace.h"

#include <QCoreApplication>
#include <QSqlError>
#include <QVariant>

#include <cstring>

using readers::Field;
using readers::LineReaderKit;

namespace {

[[maybe_unused]] const char *const kKitTexts[] = {
    QT_TRANSLATE_NOOP("moxbauditparser", "Unable to open file"),
    QT_TRANSLATE_NOOP("moxbauditparser", "File has invalid format!"),
    QT_TRANSLATE_NOOP("moxbauditparser", "Parser work was canceled in: "),
    QT_TRANSLATE_NOOP("moxbauditparser", "Parse table data in: "),
    QT_TRANSLATE_NOOP("moxbauditparser", "%1 (%2 more lines like this not listed)"),
    QT_TRANSLATE_NOOP("moxbauditparser", "Lines of the file that cannot be read, skipped: %1"),
};

const char *const kNotThreeParts = QT_TRANSLATE_NOOP("moxbauditparser", "Skipping line (not exactly 3 parts): ");
const char *const kTooLong = QT_TRANSLATE_NOOP("moxbauditparser", "Line skipped, too long");

constexpr int kMaxLineLength = 5000;

// Trimmed text up to its first NUL byte.
QString eventText(const Field &f)
{
    Field t = f;
    if (const void *nul = std::memchr(t.data, '\0', size_t(t.size)))
        t.size = int(static_cast<const char *>(nul) - t.data);
    return readers::decodeName(t.trimmed());
}

} // namespace

moxbauditparser::moxbauditparser(ProgressDialog *progress, QAtomicInteger<char> *cancelFlag, QObject *parent)
    : QObject(parent)
    , m_kit("moxbauditparser", progress, cancelFlag, kMaxLineLength, this)
{
    m_kit.forwardSignalsTo(this);
    // Empty lines are lines without three parts like any other.
    m_kit.setShortLinesToHandler(true);
    m_kit.setLongLineHandler([this](qint64 n) { m_kit.skipLine(kTooLong, n); });
}

moxbauditparser::~moxbauditparser() = default;

bool moxbauditparser::openFile(QString path)
{
    return m_kit.openFile(path);
}

bool moxbauditparser::parseFile(QSqlDatabase db, int *count, int code)
{
    Q_UNUSED(code)
    m_kit.startParse();
    // The header line is passed over unread.
    Field header;
    const LineReaderKit::Read r = m_kit.readLine(&header);
    if (r == LineReaderKit::Read::Error)
        return m_kit.failInvalidFormat();
    if (r == LineReaderKit::Read::TooLong) {
        Field rest;
        while (m_kit.readLine(&rest) == LineReaderKit::Read::TooLong) {
        }
    }
    m_db = db;
    m_prepared = false;
    const bool ok = m_kit.runReadLoop(db, count, 1, "moxbauditparser omit line",
                                      [this](const Field &line, qint64 n) { return handleLine(line, n); });
    m_insert = QSqlQuery();
    m_db = QSqlDatabase();
    return ok;
}

bool moxbauditparser::handleLine(const Field &line, qint64 lineNumber)
{
    // Without its line end first, so that a final comma before an LF leaves
    // no field behind, as it leaves none before CR LF.
    readers::splitFields(line.withoutTerminator(), ',', &m_raw);
    m_fields.clear();
    for (const Field &f : m_raw) {
        if (!f.isEmpty())
            m_fields.append(f);
    }
    if (m_fields.size() != 3) {
        TRACE() << "Skipping line " << lineNumber << ": Not exactly 3 parts";
        // An empty line is told like any other, but it held nothing to lose.
        if (m_fields.isEmpty())
            m_kit.reportLine(kNotThreeParts, lineNumber, 2, LineReaderKit::LineNumberStyle::Appended);
        else
            m_kit.skipLine(kNotThreeParts, lineNumber, 2, LineReaderKit::LineNumberStyle::Appended);
        return true;
    }
    if (!m_prepared) {
        m_insert = QSqlQuery(m_db);
        if (!m_insert.prepare(QStringLiteral("INSERT INTO Events (date, time, event) VALUES (?, ?, ?)"))) {
            TRACE() << "Query failed:" << m_insert.lastError().text();
            m_kit.reportDatabaseError(m_insert.lastError().text(), m_insert.lastQuery());
            return false;
        }
        m_prepared = true;
    }
    for (int i = 0; i < 3; ++i)
        m_insert.bindValue(i, eventText(m_fields[i]));
    if (!m_insert.exec()) {
        TRACE() << "Query failed:" << m_insert.lastError().text();
        m_kit.reportDatabaseError(m_insert.lastError().text(), m_insert.lastQuery());
        return false;
    }
    return true;
}
