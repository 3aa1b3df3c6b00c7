#pragma once
// One libcurl easy handle that runs one transfer at a time from an option
// table. It knows no protocol: URL, credentials, port and TLS come from the
// caller's table; the object adds its buffers, callbacks, time-outs and error
// buffer. Progress and cancel are process-wide, so that a monitor thread and
// the dialogs' cancel slots reach whatever transfer is running.
#include <QHash>
#include <QMetaType>
#include <QVariant>

#include <curl/curl.h>

#include <atomic>
#include <list>
#include <string>

class QTextCodec;

class QtCUrl
{
public:
    // libcurl option number -> value; see applyOption for the accepted types.
    typedef QHash<int, QVariant> Options;
    typedef size_t (*WriterPtr)(char *data, size_t size, size_t count, std::string *target);

    QtCUrl();
    virtual ~QtCUrl();

    QtCUrl(const QtCUrl &) = delete;
    QtCUrl &operator=(const QtCUrl &) = delete;

    // Runs one transfer and returns every byte received (also after a
    // failure: what arrived before it). Adds the missing defaults to options.
    QByteArray exec(Options &options, bool useQuote = false);
    // The first step of exec: buffers emptied, callbacks and defaults set,
    // every entry applied to the handle.
    void setOptions(Options &options, bool useQuote);

    // The codec the caller decodes text with; the transfer never converts.
    void setTextCodec(const char *codecName);
    void setTextCodec(QTextCodec *codec);
    QTextCodec *getTextCodec() const { return textCodec; }

    // FTP commands sent before the transfer when exec is asked to.
    void addSlist(const char *command);
    void freeSlist();

    // Releases the handle and this object's share of libcurl's global state.
    void cleanup();
    bool hasHandle() const { return handle != nullptr; }

    static int globalInit();
    static int progress(void *client, double dlTotal, double dlNow, double ulTotal, double ulNow);
    static size_t writer(char *data, size_t size, size_t count, std::string *target);

    // How many string lists the handle has been given so far (they live as
    // long as the object, libcurl keeps pointers into them).
    int optionListCount() const { return int(optionLists.size()); }

    // Process-wide state of the running transfer (relaxed atomics: written on
    // one thread, polled on another).
    static std::atomic<int> transferDone;
    static std::atomic<int> abortTransfer;
    static std::atomic<double> dlTotal;
    static std::atomic<double> dlNow;
    static std::atomic<double> ulTotal;
    static std::atomic<double> ulNow;

private:
    void applyOption(int option, const QVariant &value);
    static int xferInfo(void *client, curl_off_t dlTotal, curl_off_t dlNow, curl_off_t ulTotal, curl_off_t ulNow);

    curl_slist *quoteList = nullptr;
    CURL *handle = nullptr;

public:
    // Read by callers after exec: libcurl's message for a failed transfer
    // (empty text otherwise) and libcurl's result code (0 = success).
    char *errorBuffer = nullptr;

private:
    std::string bodyBuffer;
    std::string headerBuffer;

public:
    CURLcode lastCode = CURLE_OK;

private:
    QTextCodec *textCodec = nullptr;
    std::list<curl_slist *> optionLists;
    bool globalShareHeld = false;
};

Q_DECLARE_METATYPE(QtCUrl::WriterPtr)
Q_DECLARE_METATYPE(std::string *)
Q_DECLARE_METATYPE(char *)
