#include "acquisition/QtCUrl.h"

#include "common/Trace.h"

#include <QStringList>
#include <QTextCodec>
#include <QUrl>

#include <cstring>

std::atomic<int> QtCUrl::transferDone{0};
std::atomic<int> QtCUrl::abortTransfer{0};
std::atomic<double> QtCUrl::dlTotal{0};
std::atomic<double> QtCUrl::dlNow{0};
std::atomic<double> QtCUrl::ulTotal{0};
std::atomic<double> QtCUrl::ulNow{0};

namespace {

constexpr int OptFailOnError = 45;
constexpr int OptErrorBuffer = 10010;
constexpr int OptWriteFunction = 20011;
constexpr int OptWriteData = 10001;
constexpr int OptHeaderData = 10029;
constexpr int OptConnectTimeout = 78;
constexpr int OptTimeout = 13;

void registerMetaTypes()
{
    static const bool done = [] {
        qRegisterMetaType<QtCUrl::WriterPtr>("QtCUrl::WriterPtr");
        qRegisterMetaType<std::string *>("std::string*");
        qRegisterMetaType<char *>("char*");
        return true;
    }();
    Q_UNUSED(done);
}

} // namespace

QtCUrl::QtCUrl()
{
    TRACE() << "Function Name: " << "QtCUrl::QtCUrl()";
    registerMetaTypes();
    // Every object holds one share of libcurl's global state and gives it back
    // when it goes, so the last object never pulls the state from under another
    // one (libcurl counts the shares; its init and cleanup are thread-safe).
    globalShareHeld = curl_global_init(CURL_GLOBAL_ALL) == CURLE_OK;
    handle = curl_easy_init();
    errorBuffer = new char[CURL_ERROR_SIZE];
    errorBuffer[0] = '\0';
}

QtCUrl::~QtCUrl()
{
    for (curl_slist *list : optionLists)
        curl_slist_free_all(list);
    optionLists.clear();
    cleanup();
    delete[] errorBuffer;
}

void QtCUrl::cleanup()
{
    if (handle) {
        curl_easy_cleanup(handle);
        handle = nullptr;
    }
    if (globalShareHeld) {
        curl_global_cleanup();
        globalShareHeld = false;
    }
}

int QtCUrl::globalInit()
{
    return int(curl_global_init(CURL_GLOBAL_ALL));
}

void QtCUrl::setTextCodec(const char *codecName)
{
    textCodec = QTextCodec::codecForName(codecName);
}

void QtCUrl::setTextCodec(QTextCodec *codec)
{
    textCodec = codec;
}

void QtCUrl::addSlist(const char *command)
{
    quoteList = curl_slist_append(quoteList, command);
}

void QtCUrl::freeSlist()
{
    curl_slist_free_all(quoteList);
    quoteList = nullptr;
}

int QtCUrl::progress(void *client, double dlTotalNow, double dlNowNow, double ulTotalNow, double ulNowNow)
{
    Q_UNUSED(client);
    dlTotal.store(dlTotalNow, std::memory_order_relaxed);
    dlNow.store(dlNowNow, std::memory_order_relaxed);
    ulTotal.store(ulTotalNow, std::memory_order_relaxed);
    ulNow.store(ulNowNow, std::memory_order_relaxed);
    return abortTransfer.load(std::memory_order_relaxed);
}

int QtCUrl::xferInfo(void *client, curl_off_t dlTotalNow, curl_off_t dlNowNow, curl_off_t ulTotalNow,
                     curl_off_t ulNowNow)
{
    return progress(client, double(dlTotalNow), double(dlNowNow), double(ulTotalNow), double(ulNowNow));
}

size_t QtCUrl::writer(char *data, size_t size, size_t count, std::string *target)
{
    if (!target)
        return 0;
    const size_t bytes = size * count;
    target->append(data, bytes);
    return bytes;
}

void QtCUrl::setOptions(Options &options, bool useQuote)
{
    bodyBuffer.clear();
    headerBuffer.clear();
    errorBuffer[0] = '\0';

    Options defaults;
    defaults.insert(OptFailOnError, true);
    defaults.insert(OptErrorBuffer, QVariant::fromValue<char *>(errorBuffer));
    defaults.insert(OptWriteFunction, QVariant::fromValue<WriterPtr>(&QtCUrl::writer));
    defaults.insert(OptWriteData, QVariant::fromValue<std::string *>(&bodyBuffer));
    defaults.insert(OptHeaderData, QVariant::fromValue<std::string *>(&headerBuffer));
    defaults.insert(OptConnectTimeout, 30);
    defaults.insert(OptTimeout, 600);

    for (auto it = defaults.constBegin(); it != defaults.constEnd(); ++it) {
        if (!options.contains(it.key()))
            options.insert(it.key(), it.value());
    }
    if (!handle)
        return;
    // The classic progress callback is deprecated in libcurl; the transfer-info
    // callback carries the same four counts and feeds progress(). Set before
    // the table, so that an entry of the table for the same option wins.
    curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, &QtCUrl::xferInfo);
    curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);
    if (useQuote)
        curl_easy_setopt(handle, CURLOPT_QUOTE, quoteList);

    for (auto it = options.constBegin(); it != options.constEnd(); ++it)
        applyOption(it.key(), it.value());
}

void QtCUrl::applyOption(int option, const QVariant &value)
{
    const CURLoption opt = CURLoption(option);
    const int type = value.userType();
    switch (type) {
    case QMetaType::Bool:
    case QMetaType::Int:
        curl_easy_setopt(handle, opt, long(value.toInt()));
        return;
    case QMetaType::ULongLong:
        curl_easy_setopt(handle, opt, long(quint32(value.toULongLong() & 0xFFFFFFFFu)));
        return;
    case QMetaType::QString: {
        const QByteArray bytes = value.toString().toUtf8();
        curl_easy_setopt(handle, opt, bytes.constData());
        return;
    }
    case QMetaType::QStringList: {
        curl_slist *list = nullptr;
        const QStringList strings = value.toStringList();
        for (const QString &s : strings)
            list = curl_slist_append(list, s.toUtf8().constData());
        optionLists.push_back(list);
        curl_easy_setopt(handle, opt, list);
        return;
    }
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        curl_easy_setopt(handle, opt, bytes.constData());
        return;
    }
    case QMetaType::QUrl: {
        const QByteArray bytes = value.toUrl().toEncoded(QUrl::FullyEncoded);
        curl_easy_setopt(handle, opt, bytes.constData());
        return;
    }
    default:
        break;
    }
    const char *name = value.typeName();
    if (name && std::strcmp(name, "QtCUrl::WriterPtr") == 0) {
        curl_easy_setopt(handle, opt, value.value<WriterPtr>());
    } else if (name && std::strcmp(name, "std::string*") == 0) {
        curl_easy_setopt(handle, opt, value.value<std::string *>());
    } else if (name && std::strcmp(name, "char*") == 0) {
        curl_easy_setopt(handle, opt, value.value<char *>());
    } else {
        TRACE() << "[QtCUrl] Unsupported option type: " << (name ? name : "");
    }
}

QByteArray QtCUrl::exec(Options &options, bool useQuote)
{
    setOptions(options, useQuote);

    abortTransfer.store(0, std::memory_order_relaxed);
    transferDone.store(0, std::memory_order_relaxed);
    if (handle) {
        lastCode = curl_easy_perform(handle);
    } else {
        lastCode = CURLE_FAILED_INIT;
        std::strncpy(errorBuffer, "No transfer handle", CURL_ERROR_SIZE - 1);
        errorBuffer[CURL_ERROR_SIZE - 1] = '\0';
    }
    transferDone.store(1, std::memory_order_relaxed);
    dlTotal.store(0, std::memory_order_relaxed);
    dlNow.store(0, std::memory_order_relaxed);
    ulTotal.store(0, std::memory_order_relaxed);
    ulNow.store(0, std::memory_order_relaxed);

    // Every byte, zero bytes included, whether a codec is set or not: the
    // caller decodes text itself and writes files unchanged.
    const std::string *target = &bodyBuffer;
    const QVariant data = options.value(OptWriteData);
    if (data.typeName() && std::strcmp(data.typeName(), "std::string*") == 0 && data.value<std::string *>())
        target = data.value<std::string *>();
    return QByteArray(target->data(), int(target->size()));
}
