#pragma once
// The step-driven reader with a default for every step: a column line read by
// beginParsing, the input opened as an SQLite archive by parseFile, and the
// commit and timing line of finishParsing.
#include "readers/Parser.h"

#include <QByteArray>
#include <QDateTime>
#include <QElapsedTimer>
#include <QList>
#include <QMap>

class NormalDeviceParser : public Parser
{
    Q_OBJECT
public:
    NormalDeviceParser(ProgressDialog *progress, QAtomicInteger<char> *cancelFlag, MainWindow *mainWindow,
                       QObject *parent = nullptr);
    ~NormalDeviceParser() override;

    bool createModels(int count) override;
    bool beginParsing() override;
    bool parseFile() override;
    int finishParsing() override;
    QString unitForParameter(const QString &name) override;

    // Reports the fault (console, dialog or both, at that level) and ends the
    // step with a readers::ParserError.
    [[noreturn]] virtual void throwError(bool toConsole, bool toDialog, int icon, const QString &message,
                                         const QString &detail);

    void setTrimColumns(bool on) { m_trimColumns = on; }
    void setRewindAfterColumns(bool on) { m_rewindAfterColumns = on; }
    int lineCount() const { return m_lineCnt; }
    // The line last read as a text editor numbers it: the lines passed over
    // before the column line count too.
    int editorLine() const { return m_lineBase + m_lineCnt; }
    qint64 bytesRead() const { return m_bytesRead; }
    int columnCount() const { return m_colCnt; }

protected:
    double progressPercent() const;
    // throwError, and the end of the step even if an override returned.
    [[noreturn]] void fail(bool toConsole, bool toDialog, int icon, const QString &message, const QString &detail);

    QString m_parametersInsert;
    QString m_dataInsert;
    QElapsedTimer m_timer;
    int m_flag = 0;
    int m_nextPercent = 1;
    QString m_errorTemplate;
    int m_colCnt = 0;
    qint64 m_fileSize = 0;
    qint64 m_bytesRead = 0;
    int m_lineCnt = 0;
    int m_lineBase = 0;
    int m_valueCnt = 0;
    double m_value = 0;
    QByteArray m_line;
    QByteArray m_valueField;
    QDateTime m_lineTime;
    QString m_parameterName;
    readers::FieldList m_columns;
    readers::FieldList m_lineItems;
    bool m_trimColumns = false;
    bool m_rewindAfterColumns = false;
    bool m_insertOk = false;
    QMap<QString, int> m_parameterIds;
    int m_scratchPos = 0;
    quint16 m_valueIndex = 0;
};
