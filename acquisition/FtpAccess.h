#pragma once
// How every file-server transfer reaches an instrument: its address, FTP or
// FTPS, its credentials, port 21; and how server paths become URLs.
//
// Server paths are kept as the listing shows them (decoded from the server's
// Windows-1251 bytes). In a URL each path is percent-encoded from those same
// bytes, so "#", "?", "%" or blanks in a name address exactly that file.
#include "acquisition/QtCUrl.h"

#include <QString>
#include <QUrl>

struct FtpAccess
{
    QString addresIP;
    int protocolType = 0; // 1 FTPS (explicit TLS), anything else plain FTP
    QString user;
    QString pass;

    // From any instrument record with these four fields.
    template <class Cfg>
    static FtpAccess of(const Cfg &cfg)
    {
        FtpAccess access;
        access.addresIP = cfg.addresIP;
        access.protocolType = cfg.protocolType;
        access.user = cfg.user;
        access.pass = cfg.pass;
        return access;
    }
};

namespace ftpaccess {

// The codec of the instruments' file names and listings.
constexpr const char *CodecName = "Windows-1251";

// Credentials, port 21 and, for FTPS, TLS required on the control and data
// connections without certificate or host-name check (instruments present
// self-signed certificates).
void setAccessOptions(QtCUrl::Options &options, const FtpAccess &access);

// "ftp://" + address + serverPath, the path percent-encoded.
QUrl url(const QString &address, const QString &serverPath);
QString urlText(const QString &address, const QString &serverPath);

// The server path of a URL made by url(), decoded ("/a b/x#1.csv").
QString serverPath(const QString &url);
// The raw bytes of that path as the server knows them (for FTP commands).
QByteArray serverPathBytes(const QString &url);
// The file name: the decoded part after the last "/".
QString fileName(const QString &url);

} // namespace ftpaccess
