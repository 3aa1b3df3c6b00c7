#include "acquisition/FtpAccess.h"

#include <QTextCodec>

namespace ftpaccess {

namespace {

QTextCodec *codec()
{
    static QTextCodec *c = QTextCodec::codecForName(CodecName);
    return c;
}

QByteArray encodePath(const QString &path)
{
    const QByteArray raw = codec() ? codec()->fromUnicode(path) : path.toUtf8();
    return raw.toPercentEncoding("/");
}

// The part after "ftp://host" (from the first "/" of the remainder on),
// still percent-encoded.
QByteArray encodedPathOf(const QString &url)
{
    const QByteArray bytes = url.toLatin1();
    int start = bytes.indexOf("://");
    start = start < 0 ? 0 : start + 3;
    const int slash = bytes.indexOf('/', start);
    return slash < 0 ? QByteArray("/") : bytes.mid(slash);
}

} // namespace

void setAccessOptions(QtCUrl::Options &options, const FtpAccess &access)
{
    options.insert(CURLOPT_USERNAME, access.user);
    options.insert(CURLOPT_PASSWORD, access.pass);
    if (access.protocolType == 1) {
        options.insert(CURLOPT_USE_SSL, int(CURLUSESSL_ALL));
        options.insert(CURLOPT_SSL_VERIFYHOST, 0);
        options.insert(CURLOPT_SSL_VERIFYPEER, 0);
        options.insert(CURLOPT_SSLVERSION, int(CURL_SSLVERSION_TLSv1));
    }
    options.insert(CURLOPT_PORT, 21);
}

QString urlText(const QString &address, const QString &serverPath)
{
    return QStringLiteral("ftp://") + address + QString::fromLatin1(encodePath(serverPath));
}

QUrl url(const QString &address, const QString &serverPath)
{
    return QUrl(urlText(address, serverPath), QUrl::TolerantMode);
}

QByteArray serverPathBytes(const QString &url)
{
    return QByteArray::fromPercentEncoding(encodedPathOf(url));
}

QString serverPath(const QString &url)
{
    const QByteArray raw = serverPathBytes(url);
    return codec() ? codec()->toUnicode(raw) : QString::fromUtf8(raw);
}

QString fileName(const QString &url)
{
    const QString path = serverPath(url);
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

} // namespace ftpaccess
