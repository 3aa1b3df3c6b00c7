#include "readers/FileWorkerStrategy.h"

#include "common/Trace.h"

#include <QCoreApplication>

#include <exception>

namespace {
const char *const kUnexpected = QT_TRANSLATE_NOOP("FileWorkerStrategy", "Reading stopped by an unexpected error: ");
const char *const kUnknown = QT_TRANSLATE_NOOP("FileWorkerStrategy", "Reading stopped by an unexpected error.");
} // namespace

FileWorkerStrategy::FileWorkerStrategy()
{
    TRACE() << "Function Name: " << "FileWorkerStrategy::FileWorkerStrategy()";
}

int runParserSteps(Parser *parser)
{
    // A step reports its own faults before it throws; only what no step
    // reported is reported here. Nothing may pass on: a worker thread of the
    // pool would take the whole program down with it.
    try {
        const bool ok = parser->beginParsing() && parser->parseFile() && parser->finishParsing() >= 0;
        if (ok)
            return 1;
    } catch (int code) {
        TRACE() << "Kod wykonania błędu: " << code;
    } catch (const readers::ParserError &error) {
        TRACE() << error.text();
    } catch (const std::exception &error) {
        emit parser->consoleMessage(QCoreApplication::translate("FileWorkerStrategy", kUnexpected)
                                        + QString::fromLocal8Bit(error.what()),
                                    3);
    } catch (...) {
        emit parser->consoleMessage(QCoreApplication::translate("FileWorkerStrategy", kUnknown),
                                    3);
    }
    parser->abandonRun();
    return 0;
}
