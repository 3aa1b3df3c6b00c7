#include "readers/moxbdatabasecsvsetting.h"

#include "common/SqlUtil.h"
#include "common/Trace.h"
#include "readers/ReaderText.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlError>
#include <QSqlQuery>
#include <QTextStream>
#include <QVariant>

namespace {

[[maybe_unused]] const char *const kKitTexts[] = {
    QT_TRANSLATE_NOOP("moxbdatabasecsvsetting", "Unable to open file"),
    QT_TRANSLATE_NOOP("moxbdatabasecsvsetting", "Parser work was canceled in: "),
};
const char *const kReservedTitle = QT_TRANSLATE_NOOP("moxbdatabasecsvsetting", "Invalid section title in file");
const char *const kInvalidLine = QT_TRANSLATE_NOOP("moxbdatabasecsvsetting", "Invalid line in file");

// The reader needs no line limit of its own: it reads through a text stream.
constexpr int kUnusedLineLength = 2;

const char *const kApplicationTables[] = {"Devices",  "Parameters", "Data",     "Events",
                                          "eventData", "DataMoxB",  "DataMoxA", "ParametersSettings"};

// One-field lines that add the wire type to the temperature table rather
// than open a section: the column, or its value for every channel.
struct WireLine
{
    const char *text;
    const char *table;
    const char *column;
    const char *nameColumn; // null: the line adds the column
};
const WireLine kWireLines[] = {
    {"Wires type", "Temperature information", "Wires type", nullptr},
    {"Typ przewodow", "Temperatura", "Typ przewodow", nullptr},
    {"2-wire", "Temperature information", "Wires type", "Name"},
    {"3-wire", "Temperature information", "Wires type", "Name"},
    {"2-przewodowy", "Temperatura", "Typ przewodow", "Nazwa"},
    {"3-przewodowy", "Temperatura", "Typ przewodow", "Nazwa"},
};

QString numbered(const QString &text, qint64 lineNumber)
{
    return text + QStringLiteral(" (") + QString::number(lineNumber) + QLatin1Char(')');
}

} // namespace

moxbdatabasecsvsetting::moxbdatabasecsvsetting(ProgressDialog *progress, QAtomicInteger<char> *cancelFlag,
                                               QObject *parent)
    : QObject(parent)
    , m_kit("moxbdatabasecsvsetting", progress, cancelFlag, kUnusedLineLength, this)
    , m_cancelFlag(cancelFlag)
{
    m_kit.forwardSignalsTo(this);
}

moxbdatabasecsvsetting::~moxbdatabasecsvsetting() = default;

bool moxbdatabasecsvsetting::openFile(QString path)
{
    return m_kit.openFile(path);
}

bool moxbdatabasecsvsetting::isReservedTitle(const QString &title)
{
    // SQLite compares table names without regard to letter case.
    for (const char *table : kApplicationTables) {
        if (title.compare(QLatin1String(table), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

bool moxbdatabasecsvsetting::fail(const QString &trace, const QString &message)
{
    TRACE() << trace;
    emit consoleMessage(message, 3);
    return false;
}

bool moxbdatabasecsvsetting::parseFile(QSqlDatabase db, int *count, int code)
{
    Q_UNUSED(code)
    QFile &file = m_kit.file();
    if (!file.isOpen()) {
        TRACE() << "CSV file not open!";
        return false;
    }
    QElapsedTimer timer;
    timer.start();
    int rows = 0;
    if (count)
        *count = 0;

    TransactionGuard transaction(db);
    if (!transaction.isActive())
        return fail(QStringLiteral("BEGIN: ") + transaction.errorText(), transaction.errorText());
    QSqlQuery query(db);

    file.seek(0);
    QTextStream in(&file);
    in.setCodec("UTF-8");
    QString tableName;
    QStringList columns;
    bool awaitingHeader = true;
    qint64 lineNumber = 0;

    while (!in.atEnd()) {
        if (m_cancelFlag && m_cancelFlag->loadAcquire() != 0) {
            query = QSqlQuery();
            transaction.rollback();
            emit consoleMessage(m_kit.text("Parser work was canceled in: ") + QString::number(timer.elapsed())
                                    + QStringLiteral(" ms"),
                                0);
            return false;
        }
        const QString line = in.readLine().trimmed();
        ++lineNumber;
        if (line.isEmpty())
            continue;
        // Fields may be quoted ("No","Name","Value"): the quotes are the
        // file's, not part of the names or values.
        const QStringList fields = readers::splitCsvLine(line);

        if (fields.size() == 1) {
            const QString t = fields.first().trimmed();
            TRACE() << "tmpCurrTableName: " << t;
            const WireLine *wire = nullptr;
            for (const WireLine &w : kWireLines) {
                if (t == QLatin1String(w.text))
                    wire = &w;
            }
            if (wire) {
                const QString table = sql::quoteIdentifier(QLatin1String(wire->table));
                const QString column = sql::quoteIdentifier(QLatin1String(wire->column));
                bool ok = false;
                if (!wire->nameColumn) {
                    ok = query.exec(QStringLiteral("ALTER TABLE %1 ADD COLUMN %2 TEXT;").arg(table, column));
                } else {
                    ok = query.prepare(QStringLiteral("UPDATE %1 SET %2 = ? WHERE %3 IS NOT NULL;")
                                           .arg(table, column,
                                                sql::quoteIdentifier(QLatin1String(wire->nameColumn))));
                    if (ok) {
                        query.addBindValue(t);
                        ok = query.exec();
                    }
                }
                if (!ok)
                    return fail(QStringLiteral("Error creating collumn: ") + query.lastError().text(),
                                query.lastError().text());
                continue;
            }
            if (!m_applicationTitlesAllowed && isReservedTitle(t)) {
                return fail(QStringLiteral("Section title of an application table: ") + t,
                            numbered(m_kit.text(kReservedTitle), lineNumber));
            }
            tableName = t.contains(QLatin1String("Ustawienia og")) ? QStringLiteral("Ustawienia ogolne") : t;
            columns.clear();
            awaitingHeader = true;
            TRACE() << "Creating table:" << tableName;
            query.exec(QStringLiteral("DROP TABLE IF EXISTS %1").arg(sql::quoteIdentifier(tableName)));
            continue;
        }

        if (tableName.isEmpty())
            continue;

        if (awaitingHeader) {
            columns = fields;
            QStringList defs;
            for (const QString &c : qAsConst(columns))
                defs << sql::quoteIdentifier(c) + QStringLiteral(" TEXT");
            const QString create = QStringLiteral("CREATE TABLE %1 (%2)")
                                       .arg(sql::quoteIdentifier(tableName), defs.join(QStringLiteral(", ")));
            if (!query.exec(create))
                return fail(QStringLiteral("Error creating table: ") + query.lastError().text(),
                            query.lastError().text());
            awaitingHeader = false;
            continue;
        }

        // A value past the header's columns has no column to go to; empty
        // trailing fields (a final comma) are no values.
        for (int i = columns.size(); i < fields.size(); ++i) {
            if (!fields.at(i).trimmed().isEmpty())
                return fail(QStringLiteral("Row wider than its header in ") + tableName,
                            numbered(m_kit.text(kInvalidLine), lineNumber));
        }
        if (!query.prepare(QStringLiteral("INSERT INTO %1 VALUES (%2)")
                               .arg(sql::quoteIdentifier(tableName), sql::placeholders(columns.size())))) {
            return fail(QStringLiteral("Error inserting row into table ") + tableName + QStringLiteral(":")
                            + query.lastError().text(),
                        query.lastError().text());
        }
        for (int i = 0; i < columns.size(); ++i)
            query.addBindValue(i < fields.size() ? QVariant(fields.at(i).trimmed()) : QVariant(QVariant::String));
        if (!query.exec()) {
            return fail(QStringLiteral("Error inserting row into table ") + tableName + QStringLiteral(":")
                            + query.lastError().text(),
                        query.lastError().text());
        }
        ++rows;
        if (count)
            *count = rows;
    }

    query = QSqlQuery();
    if (!transaction.commit())
        return fail(QStringLiteral("COMMIT: ") + transaction.errorText(), transaction.errorText());
    TRACE() << "Parsing completed. Total rows inserted:" << rows;
    return true;
}
