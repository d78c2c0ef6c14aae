#include "Dropbox.h"

#include "system_services.h"
#include "user_dialogs.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFileDevice>
#include <QIODevice>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMessageAuthenticationCode>
#include <QRegularExpression>
#include <QVariant>
#include <algorithm>
#include <chrono>

namespace {

const QString kFormContentType = QStringLiteral("application/x-www-form-urlencoded");
const QString kOctetContentType = QStringLiteral("application/octet-stream");
constexpr qint64 kUploadLimit = 150LL * 1048576LL;

// A member's value as text: strings as they are, numbers in their plain form.
QString JsonText(const QJsonValue& v) {
    switch (v.type()) {
    case QJsonValue::String:
        return v.toString();
    case QJsonValue::Double:
        return v.toVariant().toString();
    case QJsonValue::Bool:
        return v.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    case QJsonValue::Array:
        return QString::fromUtf8(QJsonDocument(v.toArray()).toJson(QJsonDocument::Compact));
    case QJsonValue::Object:
        return QString::fromUtf8(QJsonDocument(v.toObject()).toJson(QJsonDocument::Compact));
    default:
        return {};
    }
}

bool JsonBool(const QJsonValue& v) {
    if (v.isBool())
        return v.toBool();
    if (v.isDouble())
        return v.toDouble() != 0;
    if (v.isString())
        return v.toString().compare(QStringLiteral("true"), Qt::CaseInsensitive) == 0;
    return false;
}

// Read as text, then as a whole number; 0 when it is none.
quint64 JsonUInt64(const QJsonValue& v) {
    const QString t = JsonText(v).trimmed();
    bool ok = false;
    const qlonglong s = t.toLongLong(&ok);
    if (ok)
        return s < 0 ? 0 : quint64(s);
    const qulonglong u = t.toULongLong(&ok);
    return ok ? u : 0;
}

std::optional<QJsonObject> ParseObject(const QByteArray& text) {
    QJsonParseError err{};
    const QJsonDocument doc = QJsonDocument::fromJson(text, &err);
    if (err.error != QJsonParseError::NoError || !doc.isObject())
        return std::nullopt;
    return doc.object();
}

// A path inside a URL: encoded like a parameter value, slashes kept.
QString EncodeUrlPath(const QString& path) {
    return UrlEncode(Utf8Encode(path)).replace(QStringLiteral("%2F"), QStringLiteral("/"));
}

QString EncodeParam(const QString& value) {
    return UrlEncode(Utf8Encode(value));
}

QMap<QString, QString> SplitPairs(const QByteArray& text) {
    QMap<QString, QString> pairs;
    for (const QByteArray& part : text.trimmed().split('&')) {
        const qsizetype eq = part.indexOf('=');
        if (eq < 0)
            pairs.insert(QString::fromUtf8(part), QString());
        else
            pairs.insert(QString::fromUtf8(part.left(eq)), QString::fromUtf8(part.mid(eq + 1)));
    }
    return pairs;
}

QString AppTitle() {
    const QString name = QCoreApplication::applicationName();
    return name.isEmpty() ? QStringLiteral("Zentrivo") : name;
}

// Empties the caller's stream before a download.
void TruncateStream(QIODevice* stream) {
    if (auto* buffer = qobject_cast<QBuffer*>(stream)) {
        buffer->buffer().clear();
        buffer->seek(0);
    } else if (auto* file = qobject_cast<QFileDevice*>(stream)) {
        if (!file->resize(0))
            throw EInOutError(QStringLiteral("Could not empty %1: %2")
                                  .arg(file->fileName(), file->errorString()));
        file->seek(0);
    } else if (!stream->isSequential()) {
        stream->seek(0);
    }
}

} // namespace

// ---------------------------------------------------------------- free functions

QByteArray Utf8Encode(const QString& text) {
    return text.toUtf8();
}

QString UrlEncode(const QByteArray& bytes) {
    static const char hex[] = "0123456789ABCDEF";
    QString out;
    out.reserve(bytes.size() * 3);
    for (const char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        if ((b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9') ||
            b == '-' || b == '.' || b == '_' || b == '~') {
            out += QLatin1Char(char(b));
        } else {
            out += QLatin1Char('%');
            out += QLatin1Char(hex[b >> 4]);
            out += QLatin1Char(hex[b & 0x0F]);
        }
    }
    return out;
}

QString UrlEncode(const QString& text) {
    return UrlEncode(Utf8Encode(text));
}

QString GenerateTimestamp() {
    const qint64 ms = QDateTime::currentMSecsSinceEpoch();
    return QString::number((ms + 500) / 1000);
}

QString GenerateNonce() {
    // The steady clock counts from the system's start, like the tick counter.
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now().time_since_epoch())
                        .count();
    const QByteArray tick = QByteArray::number(quint32(quint64(ms)));
    return QString::fromLatin1(QCryptographicHash::hash(tick, QCryptographicHash::Md5).toHex())
        .toUpper();
}

QByteArray HmacSha1(const QString& data, const QString& key) {
    return QMessageAuthenticationCode::hash(data.toUtf8(), key.toUtf8(), QCryptographicHash::Sha1);
}

QString Base64Encode(const QByteArray& bytes) {
    return QString::fromLatin1(bytes.toBase64());
}

QString ExtractUrlFileName(const QString& path) {
    const qsizetype i = path.lastIndexOf(QLatin1Char('/'));
    return i < 0 ? path : path.mid(i + 1);
}

QString ExtractUrlPath(const QString& path) {
    const qsizetype i = path.lastIndexOf(QLatin1Char('/'));
    return i < 0 ? QString() : path.left(i + 1);
}

QString OAuthParameterText(const QString& before, const QString& consumerKey, const QString& nonce,
                           const QString& timestamp, const std::optional<QString>& token,
                           const QString& after) {
    QString p = before + QStringLiteral("oauth_consumer_key=") + consumerKey +
                QStringLiteral("&oauth_nonce=") + nonce +
                QStringLiteral("&oauth_signature_method=HMAC-SHA1&oauth_timestamp=") + timestamp;
    if (token)
        p += QStringLiteral("&oauth_token=") + *token;
    p += QStringLiteral("&oauth_version=1.0") + after;
    return p;
}

QString OAuthSignatureBase(const QByteArray& method, const QString& url, const QString& params) {
    return QString::fromLatin1(method) + QLatin1Char('&') + UrlEncode(url) + QLatin1Char('&') +
           UrlEncode(params);
}

QString OAuthSignature(const QString& base, const QString& consumerSecret,
                       const QString& tokenSecret) {
    return Base64Encode(HmacSha1(base, consumerSecret + QLatin1Char('&') + tokenSecret));
}

QString OAuthSignedUrl(const QByteArray& method, const QString& url, const QString& params,
                       const QString& consumerSecret, const QString& tokenSecret) {
    const QString s =
        OAuthSignature(OAuthSignatureBase(method, url, params), consumerSecret, tokenSecret);
    return url + QLatin1Char('?') + params + QStringLiteral("&oauth_signature=") + UrlEncode(s);
}

QDateTime ParseDropboxDate(const QString& text) {
    const QStringList t = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (t.size() < 5)
        throw EDateConversionError(QStringLiteral("\"%1\" is not a valid date").arg(text));
    bool ok = false;
    int year = t[3].toInt(&ok);
    if (!ok)
        year = 1900;
    static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    int month = 1;
    for (int i = 0; i < 12; ++i)
        if (t[2] == QLatin1String(months[i]))
            month = i + 1;
    int day = t[1].toInt(&ok);
    if (!ok)
        day = 1;
    const QStringList hms = t[4].split(QLatin1Char(':'));
    auto part = [&](int i) {
        bool good = false;
        const int v = hms.value(i).toInt(&good);
        return good ? v : 0;
    };
    const QDate date(year, month, day);
    const QTime time(part(0), part(1), part(2));
    if (!date.isValid() || !time.isValid())
        throw EDateConversionError(QStringLiteral("\"%1\" is not a valid date").arg(text));
    QDateTime result(date, time, Qt::UTC);
    if (t.size() >= 6) {
        static const QRegularExpression offsetForm(QStringLiteral("^([+-])(\\d\\d)(\\d\\d)$"));
        const QRegularExpressionMatch m = offsetForm.match(t[5]);
        if (!m.hasMatch() || m.captured(2).toInt() > 23 || m.captured(3).toInt() > 59)
            throw EDateConversionError(
                QStringLiteral("\"%1\" has no valid time zone offset").arg(text));
        const int seconds = m.captured(2).toInt() * 3600 + m.captured(3).toInt() * 60;
        // Local time minus its offset is UTC.
        result = result.addSecs(m.captured(1) == QStringLiteral("+") ? -seconds : seconds);
    }
    return result;
}

quint64 RevisionNumber(const QString& revision) {
    if (revision.isEmpty())
        throw EDropbox(QStringLiteral("The revision text is empty"));
    quint64 value = 0;
    int digits = 0;
    for (const QChar c : revision) {
        int d = -1;
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            d = c.unicode() - '0';
        else if (c >= QLatin1Char('a') && c <= QLatin1Char('f'))
            d = c.unicode() - 'a' + 10;
        else if (c >= QLatin1Char('A') && c <= QLatin1Char('F'))
            d = c.unicode() - 'A' + 10;
        if (d < 0)
            throw EDropbox(
                QStringLiteral("The revision \"%1\" is not a hexadecimal number").arg(revision));
        if (value != 0 || d != 0)
            ++digits;
        if (digits > 16)
            throw EDropbox(QStringLiteral("The revision \"%1\" is too large for a 64-bit number")
                               .arg(revision));
        value = (value << 4) | quint64(d);
    }
    return value;
}

int CompareFileInfo(const TDFileInfo* a, const TDFileInfo* b) {
    if (a->IsDir() != b->IsDir())
        return a->IsDir() ? -1 : 1;
    const QString na = ExtractUrlFileName(a->Path());
    const QString nb = ExtractUrlFileName(b->Path());
    auto fold = [](QChar c) {
        const char16_t u = c.unicode();
        return (u >= u'a' && u <= u'z') ? char16_t(u - 32) : u;
    };
    const qsizetype n = qMin(na.size(), nb.size());
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t ca = fold(na[i]);
        const char16_t cb = fold(nb[i]);
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    return na.size() < nb.size() ? -1 : (na.size() > nb.size() ? 1 : 0);
}

// ---------------------------------------------------------------- TDFileList / TDFileInfo

int TDFileList::IndexOf(const TDFileInfo* item) const {
    for (size_t i = 0; i < FItems.size(); ++i)
        if (FItems[i].get() == item)
            return int(i);
    return -1;
}

TDFileInfo* TDFileList::Add(std::unique_ptr<TDFileInfo> item) {
    FItems.push_back(std::move(item));
    return FItems.back().get();
}

void TDFileList::Sort() {
    std::sort(FItems.begin(), FItems.end(),
              [](const std::unique_ptr<TDFileInfo>& a, const std::unique_ptr<TDFileInfo>& b) {
                  return CompareFileInfo(a.get(), b.get()) < 0;
              });
}

TDFileInfo* TDFileInfo::FromJSON(const QString& JSONString, TDFileList* List) {
    auto info = std::make_unique<TDFileInfo>();
    info->ParseJSON(JSONString);
    info->FList = List;
    return List->Add(std::move(info));
}

TDFileInfo* TDFileInfo::FromJSON(const QJsonValue& value, TDFileList* List) {
    auto info = std::make_unique<TDFileInfo>();
    info->ParseJSON(value);
    info->FList = List;
    return List->Add(std::move(info));
}

void TDFileInfo::Reset() {
    FIconID.clear();
    FHasThumbnail = false;
    FIsDeleted = false;
    FIsDir = false;
    FModified = QDateTime();
    FPath.clear();
    FRevision.clear();
    FSize.clear();
    FRoot.clear();
    FBytes = 0;
    FClientModified = QDateTime();
}

void TDFileInfo::ParseJSON(const QString& JSONString) {
    const auto obj = ParseObject(JSONString.toUtf8());
    if (!obj) {
        Reset();
        return;
    }
    ParseJSON(QJsonValue(*obj));
}

void TDFileInfo::ParseJSON(const QJsonValue& value) {
    Reset();
    if (!value.isObject())
        return;
    const QJsonObject obj = value.toObject();
    for (auto it = obj.begin(); it != obj.end(); ++it) {
        const QString& name = it.key();
        const QJsonValue v = it.value();
        if (name == QLatin1String("size"))
            FSize = JsonText(v);
        else if (name == QLatin1String("path"))
            FPath = JsonText(v);
        else if (name == QLatin1String("rev"))
            FRevision = JsonText(v);
        else if (name == QLatin1String("icon"))
            FIconID = JsonText(v);
        else if (name == QLatin1String("root"))
            FRoot = JsonText(v);
        else if (name == QLatin1String("bytes"))
            FBytes = JsonUInt64(v);
        else if (name == QLatin1String("is_dir"))
            FIsDir = JsonBool(v);
        else if (name == QLatin1String("is_deleted"))
            FIsDeleted = JsonBool(v);
        else if (name == QLatin1String("thumb_exists"))
            FHasThumbnail = JsonBool(v);
        else if (name == QLatin1String("modified"))
            FModified = ParseDropboxDate(JsonText(v));
        else if (name == QLatin1String("client_mtime"))
            FClientModified = ParseDropboxDate(JsonText(v));
    }
}

// ---------------------------------------------------------------- TDropbox

TDropbox::TDropbox(const Deployment& deployment, SystemServices& system, UserDialogs& dialogs)
    : FHTTP(std::make_unique<THttpClient>()), FSystem(system), FDialogs(dialogs) {
    auto host = [](const QString& v, const char* fallback) {
        return v.isEmpty() ? QString::fromLatin1(fallback) : v;
    };
    FApiHost = host(deployment.DropboxApiHost, "api.dropbox.com");
    FContentHost = host(deployment.DropboxContentHost, "api-content.dropbox.com");
    FWebHost = host(deployment.DropboxWebHost, "www.dropbox.com");
    FHTTP->CaFile = deployment.CaFile;
    FHTTP->ContentType = kFormContentType;
    FHTTP->OnWorkBegin = [this](TWorkMode m, qint64 e) { HTTPWorkBegin(m, e); };
    FHTTP->OnWork = [this](TWorkMode m, qint64 d) { HTTPWork(m, d); };
    FHTTP->OnWorkEnd = [this](TWorkMode m) { HTTPWorkEnd(m); };
}

TDropbox::~TDropbox() {
    FFindCache.clear();
    FDeltaList.Clear();
    FHTTP->Disconnect();
    FHTTP->Intercept = nullptr;
    FHTTP.reset();
    FLogFile.reset();
}

void TDropbox::SetLogFileName(const QString& name) {
    if (name == FLogFileName)
        return;
    FLogFileName = name;
    if (!name.trimmed().isEmpty()) {
        if (!FLogFile)
            FLogFile = std::make_unique<THttpLogFile>();
        FHTTP->Intercept = FLogFile.get();
        FLogFile->SetFileName(name);
        FLogFile->SetActive(true);
    } else {
        FHTTP->Intercept = nullptr;
        FLogFile.reset();
    }
}

QString TDropbox::RootName() const {
    return FAppFolderAccess ? QStringLiteral("sandbox") : QStringLiteral("dropbox");
}

int TDropbox::SendSigned(const TRequestSpec& spec, QByteArray* text) {
    const QString url = QStringLiteral("https://") + spec.Host + spec.UrlPath;
    const QString params = OAuthParameterText(spec.Before, FAppKey, GenerateNonce(),
                                              GenerateTimestamp(), FToken, spec.After);
    return FHTTP->Request(spec.Method,
                          OAuthSignedUrl(spec.Method, url, params, FAppSecret, FTokenSecret),
                          spec.Body, spec.Sink, text);
}

// Runs one signed request: authorisation first when there is no token, and after a
// first refusal (401) once more with a fresh authorisation.
template <class Attempt> auto TDropbox::WithRetry(Attempt attempt) {
    bool retried = false;
    for (;;) {
        try {
            if (FToken.isEmpty() || FTokenSecret.isEmpty())
                Authorize();
            return attempt();
        } catch (const EHttpProtocolError& e) {
            if (e.StatusCode() != 401 || retried)
                throw;
            FToken.clear();
            retried = true;
        }
    }
}

void TDropbox::Authorize() {
    if (FAppKey.isEmpty() || FAppSecret.isEmpty())
        throw EDropbox(QStringLiteral("Provide app key and secret key"));
    FHTTP->Disconnect();
    FToken.clear();
    FTokenSecret.clear();

    const QString requestUrl =
        QStringLiteral("https://") + FApiHost + QStringLiteral("/1/oauth/request_token");
    QString params = OAuthParameterText(QString(), FAppKey, GenerateNonce(), GenerateTimestamp(),
                                        std::nullopt, QString());
    QByteArray text;
    int status = FHTTP->Request("POST", OAuthSignedUrl("POST", requestUrl, params, FAppSecret, {}),
                                nullptr, nullptr, &text);
    if (status != 200)
        return;
    const QMap<QString, QString> request = SplitPairs(text);
    const QString requestToken = request.value(QStringLiteral("oauth_token"));
    const QString requestSecret = request.value(QStringLiteral("oauth_token_secret"));

    FSystem.OpenUrl(QStringLiteral("https://") + FWebHost +
                    QStringLiteral("/1/oauth/authorize?oauth_token=") + requestToken);

    bool ok = false;
    if (OnAuthorizationContinueQuery)
        OnAuthorizationContinueQuery(*this, ok);
    else
        ok = FDialogs.Message(AppTitle(), MsgIcon::Confirmation, MsgButtons::OkCancel,
                              QStringLiteral("Click OK when ready or Cancel to abort")) ==
             MsgResult::Ok;
    if (!ok)
        throw EDropbox(QStringLiteral("Authorization cancelled by user"));

    const QString accessUrl =
        QStringLiteral("https://") + FApiHost + QStringLiteral("/1/oauth/access_token");
    params = OAuthParameterText(QString(), FAppKey, GenerateNonce(), GenerateTimestamp(),
                                requestToken, QString());
    text.clear();
    status =
        FHTTP->Request("POST", OAuthSignedUrl("POST", accessUrl, params, FAppSecret, requestSecret),
                       nullptr, nullptr, &text);
    if (status == 200) {
        const QMap<QString, QString> access = SplitPairs(text);
        FToken = access.value(QStringLiteral("oauth_token"));
        FTokenSecret = access.value(QStringLiteral("oauth_token_secret"));
    }
}

void TDropbox::ClearAccount() {
    FRefLink.clear();
    FUserDispName.clear();
    FUID.clear();
    FCountry.clear();
    FEMail.clear();
    FQuota = 0;
    FUsedNormal = 0;
    FUsedShared = 0;
}

void TDropbox::ReadAccountInfo() {
    WithRetry([&] {
        ClearAccount();
        QByteArray text;
        const int status =
            SendSigned({"GET", FApiHost, QStringLiteral("/1/account/info"), {}, {}}, &text);
        if (status != 200)
            return;
        const auto obj = ParseObject(text);
        if (!obj)
            return;
        for (auto it = obj->begin(); it != obj->end(); ++it) {
            const QString& name = it.key();
            if (name == QLatin1String("referral_link"))
                FRefLink = JsonText(it.value());
            else if (name == QLatin1String("display_name"))
                FUserDispName = JsonText(it.value());
            else if (name == QLatin1String("uid"))
                FUID = JsonText(it.value());
            else if (name == QLatin1String("country"))
                FCountry = JsonText(it.value());
            else if (name == QLatin1String("email"))
                FEMail = JsonText(it.value());
            else if (name == QLatin1String("quota_info")) {
                const QJsonObject q = it.value().toObject();
                FQuota = JsonUInt64(q.value(QStringLiteral("quota")));
                FUsedNormal = JsonUInt64(q.value(QStringLiteral("normal")));
                FUsedShared = JsonUInt64(q.value(QStringLiteral("shared")));
            }
        }
    });
}

void TDropbox::EnsureAccount() {
    if (FUID.isEmpty())
        ReadAccountInfo();
}

QString TDropbox::GetUID() {
    EnsureAccount();
    return FUID;
}
QString TDropbox::GetUserDisplayName() {
    EnsureAccount();
    return FUserDispName;
}
QString TDropbox::GetCountry() {
    EnsureAccount();
    return FCountry;
}
QString TDropbox::GetEMail() {
    EnsureAccount();
    return FEMail;
}
QString TDropbox::GetReferralLink() {
    EnsureAccount();
    return FRefLink;
}
quint64 TDropbox::GetQuota() {
    EnsureAccount();
    return FQuota;
}
quint64 TDropbox::GetUsedQuotaNormal() {
    EnsureAccount();
    return FUsedNormal;
}
quint64 TDropbox::GetUsedQuotaShared() {
    EnsureAccount();
    return FUsedShared;
}

// ---------------------------------------------------------------- progress events

void TDropbox::HTTPWorkBegin(TWorkMode mode, qint64 expected) {
    bool cancel = false;
    if (mode == TWorkMode::wmWrite && OnUploadProgress) {
        FUploadTotal = expected;
        FUploadCount = 0;
        OnUploadProgress(*this, 0, expected, cancel);
    } else if (mode == TWorkMode::wmRead && OnDownloadProgress) {
        FDownloadTotal = expected;
        FDownloadCount = 0;
        OnDownloadProgress(*this, 0, expected, cancel);
    }
    if (cancel)
        FHTTP->Disconnect();
}

void TDropbox::HTTPWork(TWorkMode mode, qint64 done) {
    bool cancel = false;
    if (mode == TWorkMode::wmWrite && OnUploadProgress) {
        FUploadCount = done;
        OnUploadProgress(*this, done, FUploadTotal, cancel);
    } else if (mode == TWorkMode::wmRead && OnDownloadProgress) {
        FDownloadCount = done;
        OnDownloadProgress(*this, done, FDownloadTotal, cancel);
    }
    if (cancel)
        FHTTP->Disconnect();
}

void TDropbox::HTTPWorkEnd(TWorkMode mode) {
    bool cancel = false;
    if (mode == TWorkMode::wmWrite && OnUploadProgress)
        OnUploadProgress(*this, FUploadTotal, FUploadTotal, cancel);
    else if (mode == TWorkMode::wmRead && OnDownloadProgress)
        OnDownloadProgress(*this, FDownloadTotal, FDownloadTotal, cancel);
    if (cancel)
        FHTTP->Disconnect();
}

// ---------------------------------------------------------------- file operations

TDFileInfo* TDropbox::NewListingObject(const QByteArray& json) {
    const auto obj = ParseObject(json);
    if (!obj)
        return nullptr;
    FFindCache.push_back(std::make_unique<TDFileList>());
    return TDFileInfo::FromJSON(QJsonValue(*obj), FFindCache.back().get());
}

int TDropbox::FindFirst(TDFileInfo*& FileInfo, const QString& Path) {
    FileInfo = nullptr;
    int result = -1;
    QString path = Path;
    if (!path.startsWith(QLatin1Char('/')))
        path.prepend(QLatin1Char('/'));
    const QString urlPath = QStringLiteral("/1/metadata/") + RootName() + EncodeUrlPath(path);
    WithRetry([&] {
        QByteArray text;
        const int status =
            SendSigned({"GET", FApiHost, urlPath, QStringLiteral("file_limit=25000&"), {}}, &text);
        if (status != 200)
            return;
        const auto obj = ParseObject(text);
        if (!obj || !obj->contains(QStringLiteral("contents")))
            return;
        FFindCache.push_back(std::make_unique<TDFileList>());
        TDFileList* listing = FFindCache.back().get();
        const QJsonArray contents = obj->value(QStringLiteral("contents")).toArray();
        for (const QJsonValue& entry : contents)
            TDFileInfo::FromJSON(entry, listing);
        listing->Sort();
        if (listing->Count() > 0) {
            FileInfo = listing->Items(0);
            result = 0;
        }
    });
    return result;
}

int TDropbox::FindNext(TDFileInfo*& FileInfo) {
    const int i = FileInfo && FileInfo->FList ? FileInfo->FList->IndexOf(FileInfo) : -1;
    if (i < 0)
        throw EDropbox(QStringLiteral("Such FileInfo does not exist"));
    if (i + 1 >= FileInfo->FList->Count())
        return -1;
    FileInfo = FileInfo->FList->Items(i + 1);
    return 0;
}

void TDropbox::FindClose(TDFileInfo*& FileInfo) {
    if (!FileInfo)
        return;
    for (auto it = FFindCache.begin(); it != FFindCache.end(); ++it) {
        if (it->get() == FileInfo->FList) {
            FFindCache.erase(it);
            FileInfo = nullptr;
            return;
        }
    }
}

void TDropbox::ClearFindCache() {
    FFindCache.clear();
}

TDFileInfo* TDropbox::CreateFolder(const QString& Path) {
    const QString after =
        QStringLiteral("&path=") + EncodeParam(Path) + QStringLiteral("&root=") + RootName();
    return WithRetry([&]() -> TDFileInfo* {
        QByteArray text;
        const int status = SendSigned(
            {"POST", FApiHost, QStringLiteral("/1/fileops/create_folder"), {}, after}, &text);
        return status == 200 ? NewListingObject(text) : nullptr;
    });
}

void TDropbox::Rename(TDFileInfo* Obj, const QString& NewName) {
    if (!Obj)
        throw EDropbox(QStringLiteral("Such FileInfo does not exist"));
    const QString target = ExtractUrlPath(Obj->Path()) + NewName;
    const QString before =
        QStringLiteral("from_path=") + EncodeParam(Obj->Path()) + QLatin1Char('&');
    const QString after =
        QStringLiteral("&root=") + RootName() + QStringLiteral("&to_path=") + EncodeParam(target);
    WithRetry([&] {
        QByteArray text;
        const int status =
            SendSigned({"POST", FApiHost, QStringLiteral("/1/fileops/move"), before, after}, &text);
        if (status != 200)
            return;
        if (const auto obj = ParseObject(text))
            Obj->ParseJSON(QJsonValue(*obj));
    });
}

namespace {
QString FolderTarget(const QString& folder, const TDFileInfo* obj) {
    QString f = folder;
    if (!f.endsWith(QLatin1Char('/')))
        f += QLatin1Char('/');
    return f + ExtractUrlFileName(obj->Path());
}
} // namespace

void TDropbox::Move(TDFileInfo* Obj, const QString& FolderPath) {
    if (!Obj)
        throw EDropbox(QStringLiteral("Such FileInfo does not exist"));
    const QString target = FolderTarget(FolderPath, Obj);
    const QString before =
        QStringLiteral("from_path=") + EncodeParam(Obj->Path()) + QLatin1Char('&');
    const QString after =
        QStringLiteral("&root=") + RootName() + QStringLiteral("&to_path=") + EncodeParam(target);
    WithRetry([&] {
        QByteArray text;
        const int status =
            SendSigned({"POST", FApiHost, QStringLiteral("/1/fileops/move"), before, after}, &text);
        if (status != 200)
            return;
        FUID.clear();
        if (const auto obj = ParseObject(text))
            Obj->ParseJSON(QJsonValue(*obj));
    });
}

TDFileInfo* TDropbox::Copy(TDFileInfo* Obj, const QString& FolderPath) {
    if (!Obj)
        throw EDropbox(QStringLiteral("Such FileInfo does not exist"));
    const QString target = FolderTarget(FolderPath, Obj);
    const QString before =
        QStringLiteral("from_path=") + EncodeParam(Obj->Path()) + QLatin1Char('&');
    const QString after =
        QStringLiteral("&root=") + RootName() + QStringLiteral("&to_path=") + EncodeParam(target);
    return WithRetry([&]() -> TDFileInfo* {
        QByteArray text;
        const int status =
            SendSigned({"POST", FApiHost, QStringLiteral("/1/fileops/copy"), before, after}, &text);
        if (status != 200)
            return nullptr;
        FUID.clear();
        return NewListingObject(text);
    });
}

void TDropbox::Delete(TDFileInfo* Obj) {
    if (!Obj)
        throw EDropbox(QStringLiteral("Such FileInfo does not exist"));
    const QString after =
        QStringLiteral("&path=") + EncodeParam(Obj->Path()) + QStringLiteral("&root=") + RootName();
    WithRetry([&] {
        QByteArray text;
        const int status =
            SendSigned({"POST", FApiHost, QStringLiteral("/1/fileops/delete"), {}, after}, &text);
        if (status != 200)
            return;
        FUID.clear();
        if (const auto obj = ParseObject(text))
            Obj->ParseJSON(QJsonValue(*obj));
    });
}

TDFileInfo* TDropbox::Upload(QIODevice* Stream, const QString& PathName) {
    if (!Stream || !Stream->isReadable() || Stream->isSequential())
        throw EInOutError(QStringLiteral("The data to upload cannot be read from its start"));
    Stream->seek(0);
    if (Stream->size() >= kUploadLimit)
        throw EDropbox(
            QStringLiteral("Dropbox API does not allow to upload files larger than 150MB"));
    const QString after =
        QStringLiteral("&path=") + EncodeParam(PathName) + QStringLiteral("&root=") + RootName();
    return WithRetry([&]() -> TDFileInfo* {
        // Every attempt sends the whole stream.
        Stream->seek(0);
        struct ContentTypeGuard {
            THttpClient* http;
            ~ContentTypeGuard() { http->ContentType = kFormContentType; }
        } guard{FHTTP.get()};
        FHTTP->ContentType = kOctetContentType;
        QByteArray text;
        TRequestSpec spec{"PUT", FContentHost, QStringLiteral("/1/files_put"), {}, after};
        spec.Body = Stream;
        const int status = SendSigned(spec, &text);
        if (status != 200)
            return nullptr;
        FUID.clear();
        return NewListingObject(text);
    });
}

void TDropbox::Download(const TDFileInfo* DFile, QIODevice* Stream) {
    if (!DFile)
        throw EDropbox(QStringLiteral("Such FileInfo does not exist"));
    DownloadFile(DFile->Path(), Stream);
}

void TDropbox::DownloadFile(const QString& DFile, QIODevice* Stream) {
    if (!Stream || !Stream->isWritable())
        throw EInOutError(QStringLiteral("The download target is not open for writing"));
    const QString urlPath = QStringLiteral("/1/files/") + RootName() + EncodeUrlPath(DFile);
    TruncateStream(Stream);
    WithRetry([&] {
        TRequestSpec spec{"GET", FContentHost, urlPath, {}, {}};
        spec.Sink = Stream;
        SendSigned(spec, nullptr);
    });
}

QString TDropbox::GetDelta(const QString& Cursor) {
    FDeltaList.Clear();
    FDeltaReset = false;
    QString cursor = Cursor;
    QByteArray previous;
    for (;;) {
        bool more = false;
        QByteArray text;
        const int status = WithRetry([&] {
            text.clear();
            // The cursor is percent-encoded like every other value, so that one with
            // "+", "/" or "=" is signed as the server decodes it.
            const QString before = cursor.isEmpty() ? QString()
                                                    : QStringLiteral("cursor=") +
                                                          EncodeParam(cursor) + QLatin1Char('&');
            return SendSigned({"POST", FApiHost, QStringLiteral("/1/delta"), before, {}}, &text);
        });
        if (status == 200) {
            if (text == previous)
                break;
            previous = text;
            if (const auto obj = ParseObject(text)) {
                if (obj->contains(QStringLiteral("cursor")))
                    cursor = JsonText(obj->value(QStringLiteral("cursor")));
                more = JsonBool(obj->value(QStringLiteral("has_more")));
                if (obj->contains(QStringLiteral("reset")) && !FDeltaReset)
                    FDeltaReset = JsonBool(obj->value(QStringLiteral("reset")));
                for (const QJsonValue& e : obj->value(QStringLiteral("entries")).toArray()) {
                    const QJsonArray pair = e.toArray();
                    if (pair.size() < 2)
                        continue;
                    const QJsonValue meta = pair.at(1);
                    if (meta.isObject()) {
                        TDFileInfo::FromJSON(meta, &FDeltaList);
                    } else if (meta.isNull()) {
                        auto gone = std::make_unique<TDFileInfo>();
                        gone->FIsDeleted = true;
                        gone->FPath = JsonText(pair.at(0));
                        gone->FList = &FDeltaList;
                        FDeltaList.Add(std::move(gone));
                    }
                }
            }
        }
        if (!more)
            break;
    }
    return cursor;
}
