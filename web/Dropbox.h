#pragma once

// Client of the web file store's version-1 API: OAuth 1.0 signed requests (HMAC-SHA1,
// every parameter in the query string), the authorisation in the browser, the account
// information, the file operations and the metadata objects that they return.

#include "deploy_constants.h"
#include "errors.h"
#include "http_client.h"

#include <QByteArray>
#include <QDateTime>
#include <QJsonValue>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QIODevice;
class SystemServices;
class UserDialogs;
class TDropbox;
class TDFileInfo;

// Errors that the client raises itself ("Provide app key and secret key", ...).
class EDropbox : public EZentrivo {
public:
    explicit EDropbox(QString message) : EZentrivo(std::move(message), "EDropbox") {}
};

// A date text that makes no valid date.
class EDateConversionError : public EZentrivo {
public:
    explicit EDateConversionError(QString message)
        : EZentrivo(std::move(message), "EDateConversionError") {}
};

// ---------------------------------------------------------------- free functions

QByteArray Utf8Encode(const QString& text);
// OAuth percent-encoding of every byte except ASCII letters, digits and "-._~".
QString UrlEncode(const QByteArray& bytes);
// The same over the UTF-8 bytes of the text.
QString UrlEncode(const QString& text);
// Seconds since 1970-01-01 UTC, rounded, in decimal.
QString GenerateTimestamp();
// MD5 of the millisecond tick counter's decimal text, 32 upper-case hex digits.
QString GenerateNonce();
QByteArray HmacSha1(const QString& data, const QString& key);
QString Base64Encode(const QByteArray& bytes);
QString ExtractUrlFileName(const QString& path);
QString ExtractUrlPath(const QString& path);

// The pieces of one signed request, so that the signing can be checked on its own.
// Parameter text: before + the OAuth parameters (with "&oauth_token=" + token when a
// token is given) + after; the caller keeps the names in ascending order.
QString OAuthParameterText(const QString& before, const QString& consumerKey, const QString& nonce,
                           const QString& timestamp, const std::optional<QString>& token,
                           const QString& after);
// METHOD&UrlEncode(url)&UrlEncode(params)
QString OAuthSignatureBase(const QByteArray& method, const QString& url, const QString& params);
// Base64 of HMAC-SHA1 over the base, keyed with consumerSecret&tokenSecret.
QString OAuthSignature(const QString& base, const QString& consumerSecret,
                       const QString& tokenSecret);
// url?params&oauth_signature=...
QString OAuthSignedUrl(const QByteArray& method, const QString& url, const QString& params,
                       const QString& consumerSecret, const QString& tokenSecret);

// The service's date form "Tue, 05 Mar 2013 08:04:09 +0000" as a UTC date-time. A
// non-zero offset is taken off, so the result is always UTC. Raises
// EDateConversionError on a text with fewer than five parts, an impossible date or time,
// or a malformed offset.
QDateTime ParseDropboxDate(const QString& text);

// A revision text ("rev", hexadecimal) as a number. Raises EDropbox when the text is
// empty, not hexadecimal, or too large for 64 bits.
quint64 RevisionNumber(const QString& revision);

// Listing order: folders first, then names compared with ASCII letters folded to upper
// case, by character code; a name that begins the other sorts first. <0, 0 or >0.
int CompareFileInfo(const TDFileInfo* a, const TDFileInfo* b);

// ---------------------------------------------------------------- metadata

// An owning list of metadata objects: a listing of the find cache, or the delta list.
class TDFileList {
public:
    int Count() const { return int(FItems.size()); }
    TDFileInfo* Items(int index) const { return FItems.at(size_t(index)).get(); }
    int IndexOf(const TDFileInfo* item) const;
    TDFileInfo* Add(std::unique_ptr<TDFileInfo> item);
    void Clear() { FItems.clear(); }
    void Sort();

private:
    std::vector<std::unique_ptr<TDFileInfo>> FItems;
};

// The metadata of one file or folder of the store. It always belongs to the list that
// List() names; callers never free it.
class TDFileInfo {
public:
    // Creates an object from the JSON text of one metadata object and appends it to List.
    static TDFileInfo* FromJSON(const QString& JSONString, TDFileList* List);
    static TDFileInfo* FromJSON(const QJsonValue& value, TDFileList* List);
    // Refills the object; a text that is not a JSON object leaves it reset.
    void ParseJSON(const QString& JSONString);
    void ParseJSON(const QJsonValue& value);

    const QString& Size() const { return FSize; }
    quint64 Bytes() const { return FBytes; }
    const QString& Path() const { return FPath; }
    bool IsDir() const { return FIsDir; }
    bool IsDeleted() const { return FIsDeleted; }
    const QString& Revision() const { return FRevision; }
    bool HasThumbnail() const { return FHasThumbnail; }
    const QString& IconID() const { return FIconID; }
    // Null when the metadata carried no date.
    const QDateTime& Modified() const { return FModified; }
    const QDateTime& ClientModified() const { return FClientModified; }
    const QString& Root() const { return FRoot; }
    TDFileList* List() const { return FList; }

private:
    friend class TDropbox;
    void Reset();

    QString FIconID;
    bool FHasThumbnail = false;
    bool FIsDeleted = false;
    bool FIsDir = false;
    QDateTime FModified;
    QString FPath;
    QString FRevision;
    QString FSize;
    QString FRoot;
    quint64 FBytes = 0;
    QDateTime FClientModified;
    TDFileList* FList = nullptr;
};

// ---------------------------------------------------------------- client

class TDropbox {
public:
    using TDAuthorizationContinueQueryEvent = std::function<void(TDropbox& Sender, bool& ResultOk)>;
    using TDTransferProgressEvent =
        std::function<void(TDropbox& Sender, qint64 Position, qint64 Total, bool& Cancel)>;

    // The hosts and the CA file come from the deployment; the browser step goes through
    // `system`, the continue question (when no handler is set) through `dialogs`. Both
    // must outlive the client. No network traffic.
    TDropbox(const Deployment& deployment, SystemServices& system, UserDialogs& dialogs);
    ~TDropbox();
    TDropbox(const TDropbox&) = delete;
    TDropbox& operator=(const TDropbox&) = delete;

    // Properties.
    QString ProxyServer() const { return FHTTP->ProxyServer; }
    void SetProxyServer(const QString& v) { FHTTP->ProxyServer = v; }
    int ProxyPort() const { return FHTTP->ProxyPort; }
    void SetProxyPort(int v) { FHTTP->ProxyPort = v; }
    QString LogFileName() const { return FLogFileName; }
    void SetLogFileName(const QString& name);
    QString AppKey() const { return FAppKey; }
    void SetAppKey(const QString& v) { FAppKey = v; }
    QString AppSecret() const { return FAppSecret; }
    void SetAppSecret(const QString& v) { FAppSecret = v; }
    bool AppFolderAccess() const { return FAppFolderAccess; }
    void SetAppFolderAccess(bool v) { FAppFolderAccess = v; }
    QString Token() const { return FToken; }
    void SetToken(const QString& v) { FToken = v; }
    QString TokenSecret() const { return FTokenSecret; }
    void SetTokenSecret(const QString& v) { FTokenSecret = v; }
    bool DeltaReset() const { return FDeltaReset; }
    // Transport timeouts in milliseconds (15000 and 30000 unless changed).
    int ConnectTimeout() const { return FHTTP->ConnectTimeout; }
    void SetConnectTimeout(int ms) { FHTTP->ConnectTimeout = ms; }
    int ReadTimeout() const { return FHTTP->ReadTimeout; }
    void SetReadTimeout(int ms) { FHTTP->ReadTimeout = ms; }

    TDAuthorizationContinueQueryEvent OnAuthorizationContinueQuery;
    TDTransferProgressEvent OnUploadProgress;
    TDTransferProgressEvent OnDownloadProgress;

    // Account information, fetched when the cache is not valid.
    QString GetUID();
    QString GetUserDisplayName();
    QString GetCountry();
    QString GetEMail();
    QString GetReferralLink();
    quint64 GetQuota();
    quint64 GetUsedQuotaNormal();
    quint64 GetUsedQuotaShared();

    // Folder listing: 0 and the first entry, or -1 (a file, or an empty folder).
    int FindFirst(TDFileInfo*& FileInfo, const QString& Path);
    // 0 and the next entry, or -1 at the end (FileInfo stays on the last entry).
    int FindNext(TDFileInfo*& FileInfo);
    // Frees the listing that holds FileInfo (FileInfo included) and sets it to null.
    void FindClose(TDFileInfo*& FileInfo);
    void ClearFindCache();
    // Number of listings in the find cache.
    int FindCacheCount() const { return int(FFindCache.size()); }

    TDFileInfo* CreateFolder(const QString& Path);
    void Rename(TDFileInfo* Obj, const QString& NewName);
    void Move(TDFileInfo* Obj, const QString& FolderPath);
    TDFileInfo* Copy(TDFileInfo* Obj, const QString& FolderPath);
    void Delete(TDFileInfo* Obj);
    // Sends the whole stream (from position 0); refuses 150 MB or more before anything
    // is sent.
    TDFileInfo* Upload(QIODevice* Stream, const QString& PathName);
    // Writes the file's content into Stream as it arrives (emptied first).
    void Download(const TDFileInfo* DFile, QIODevice* Stream);
    void DownloadFile(const QString& DFile, QIODevice* Stream);
    // Reads every page of the change feed into the delta list; returns the new cursor.
    QString GetDelta(const QString& Cursor);
    int DeltaCount() const { return FDeltaList.Count(); }
    TDFileInfo* GetDeltaItem(int Index) const { return FDeltaList.Items(Index); }

private:
    struct TRequestSpec {
        QByteArray Method;
        QString Host;
        QString UrlPath; // already encoded
        QString Before;  // parameters before oauth_consumer_key
        QString After;   // parameters after oauth_version
        QIODevice* Body = nullptr;
        QIODevice* Sink = nullptr;
    };
    template <class Attempt> auto WithRetry(Attempt attempt);
    int SendSigned(const TRequestSpec& spec, QByteArray* text);

    void Authorize();
    void ReadAccountInfo();
    void EnsureAccount();
    void ClearAccount();
    QString RootName() const;
    TDFileInfo* NewListingObject(const QByteArray& json);

    void HTTPWorkBegin(TWorkMode mode, qint64 expected);
    void HTTPWork(TWorkMode mode, qint64 done);
    void HTTPWorkEnd(TWorkMode mode);

    std::unique_ptr<THttpClient> FHTTP;
    std::unique_ptr<THttpLogFile> FLogFile;
    QString FLogFileName;
    QString FAppKey;
    QString FAppSecret;
    QString FToken;
    QString FTokenSecret;
    QString FRefLink;
    QString FUserDispName;
    QString FUID;
    QString FCountry;
    quint64 FQuota = 0;
    quint64 FUsedNormal = 0;
    quint64 FUsedShared = 0;
    QString FEMail;
    std::vector<std::unique_ptr<TDFileList>> FFindCache;
    TDFileList FDeltaList;
    qint64 FUploadCount = 0;
    qint64 FUploadTotal = 0;
    qint64 FDownloadCount = 0;
    qint64 FDownloadTotal = 0;
    bool FDeltaReset = false;
    bool FAppFolderAccess = false;

    QString FApiHost;
    QString FContentHost;
    QString FWebHost;
    SystemServices& FSystem;
    UserDialogs& FDialogs;
};
