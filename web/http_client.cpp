#include "http_client.h"

#include <QDateTime>
#include <QIODevice>
#include <QJsonDocument>
#include <QJsonObject>
#include <curl/curl.h>
#include <mutex>

// ---------------------------------------------------------------- traffic log

void THttpLogFile::SetFileName(const QString& name) {
    if (name == FFileName)
        return;
    const bool wasActive = Active();
    SetActive(false);
    FFileName = name;
    if (wasActive)
        SetActive(true);
}

void THttpLogFile::SetActive(bool active) {
    if (active == Active())
        return;
    if (!active) {
        FFile.close();
        return;
    }
    FFile.setFileName(FFileName);
    if (!FFile.open(QIODevice::WriteOnly | QIODevice::Append))
        throw EInOutError(QStringLiteral("Could not open the traffic log file %1: %2")
                              .arg(FFileName, FFile.errorString()));
}

void THttpLogFile::Write(const char* tag, const char* data, size_t size) {
    if (!FFile.isOpen())
        return;
    QByteArray line = QDateTime::currentDateTimeUtc()
                          .toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz"))
                          .toLatin1();
    line += ' ';
    line += tag;
    line += ": ";
    line.append(data, qsizetype(size));
    if (!line.endsWith('\n'))
        line += '\n';
    FFile.write(line);
    FFile.flush();
}

void THttpLogFile::LogSent(const char* data, size_t size) {
    Write("Sent", data, size);
}
void THttpLogFile::LogReceived(const char* data, size_t size) {
    Write("Recv", data, size);
}
void THttpLogFile::LogHeaderSent(const char* data, size_t size) {
    Write("Sent header", data, size);
}
void THttpLogFile::LogHeaderReceived(const char* data, size_t size) {
    Write("Recv header", data, size);
}

// ---------------------------------------------------------------- client

struct THttpClient::Transfer {
    THttpClient* Client = nullptr;
    QIODevice* Body = nullptr;
    qint64 BodySize = 0;
    qint64 BodySent = 0;
    QIODevice* Sink = nullptr;
    QByteArray* Text = nullptr;
    QByteArray ErrorBody;
    int Status = 0;
    QByteArray StatusLine;
    qint64 ContentLength = -1;
    bool ReadBegun = false;
    qint64 Received = 0;
    QString LocalError; // a failure of our own side (sink or body stream)
};

namespace {

void GlobalInit() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

constexpr qsizetype kMaxErrorBody = 64 * 1024;

} // namespace

THttpClient::THttpClient() {
    GlobalInit();
    FCurl = curl_easy_init();
    if (!FCurl)
        throw EHttpConnectionError(QStringLiteral("The HTTP client could not be created"));
}

THttpClient::~THttpClient() {
    curl_easy_cleanup(static_cast<CURL*>(FCurl));
}

void THttpClient::Disconnect() {
    FAbort = true;
    FFresh = true;
}

size_t THttpClient::HeaderCallback(char* data, size_t size, size_t count, void* user) {
    auto* t = static_cast<Transfer*>(user);
    const size_t n = size * count;
    const QByteArray line = QByteArray(data, qsizetype(n)).trimmed();
    if (line.startsWith("HTTP/")) {
        // A new answer (after a redirect or an interim 100): start afresh.
        t->StatusLine = line;
        const QList<QByteArray> parts = line.split(' ');
        t->Status = parts.size() > 1 ? parts[1].toInt() : 0;
        t->ContentLength = -1;
    } else if (line.toLower().startsWith("content-length:")) {
        bool ok = false;
        const qint64 v = line.mid(15).trimmed().toLongLong(&ok);
        t->ContentLength = ok ? v : -1;
    }
    return n;
}

size_t THttpClient::WriteCallback(char* data, size_t size, size_t count, void* user) {
    auto* t = static_cast<Transfer*>(user);
    THttpClient* c = t->Client;
    const size_t n = size * count;
    if (!t->ReadBegun) {
        t->ReadBegun = true;
        if (c->OnWorkBegin)
            c->OnWorkBegin(TWorkMode::wmRead, t->ContentLength > 0 ? t->ContentLength : 0);
        if (c->FAbort)
            return 0;
    }
    const bool success = t->Status >= 200 && t->Status < 300;
    if (success && t->Sink) {
        if (t->Sink->write(data, qint64(n)) != qint64(n)) {
            t->LocalError =
                QStringLiteral("Could not write the received data: %1").arg(t->Sink->errorString());
            return 0;
        }
    } else if (success && t->Text) {
        t->Text->append(data, qsizetype(n));
    } else if (t->ErrorBody.size() < kMaxErrorBody) {
        t->ErrorBody.append(data, qsizetype(n));
    }
    t->Received += qint64(n);
    if (c->OnWork)
        c->OnWork(TWorkMode::wmRead, t->Received);
    return c->FAbort ? 0 : n;
}

size_t THttpClient::ReadCallback(char* data, size_t size, size_t count, void* user) {
    auto* t = static_cast<Transfer*>(user);
    THttpClient* c = t->Client;
    if (c->FAbort)
        return CURL_READFUNC_ABORT;
    const qint64 want = qMin(qint64(size * count), t->BodySize - t->BodySent);
    if (want <= 0)
        return 0;
    const qint64 got = t->Body->read(data, want);
    if (got <= 0) {
        t->LocalError =
            QStringLiteral("Could not read the data to send: %1")
                .arg(got < 0 ? t->Body->errorString() : QStringLiteral("the stream ended early"));
        return CURL_READFUNC_ABORT;
    }
    t->BodySent += got;
    if (c->OnWork)
        c->OnWork(TWorkMode::wmWrite, t->BodySent);
    if (t->BodySent == t->BodySize && c->OnWorkEnd)
        c->OnWorkEnd(TWorkMode::wmWrite);
    return c->FAbort ? size_t(CURL_READFUNC_ABORT) : size_t(got);
}

int THttpClient::DebugCallback(void*, int type, char* data, size_t size, void* user) {
    auto* log = static_cast<THttpLogFile*>(user);
    switch (type) {
    case CURLINFO_HEADER_OUT:
        log->LogHeaderSent(data, size);
        break;
    case CURLINFO_DATA_OUT:
        log->LogSent(data, size);
        break;
    case CURLINFO_HEADER_IN:
        log->LogHeaderReceived(data, size);
        break;
    case CURLINFO_DATA_IN:
        log->LogReceived(data, size);
        break;
    default:
        break;
    }
    return 0;
}

int THttpClient::Request(const QByteArray& method, const QString& url, QIODevice* body,
                         QIODevice* sink, QByteArray* text) {
    CURL* h = static_cast<CURL*>(FCurl);
    // Options are set afresh for every request; the connection and the cookies stay.
    curl_easy_reset(h);
    FAbort = false;
    FStatus = 0;

    Transfer t;
    t.Client = this;
    t.Body = body;
    t.Sink = sink;
    t.Text = text;
    if (body)
        t.BodySize = qMax<qint64>(0, body->size() - body->pos());

    const QByteArray urlBytes = url.toUtf8();
    char errbuf[CURL_ERROR_SIZE] = {0};
    curl_easy_setopt(h, CURLOPT_URL, urlBytes.constData());
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, errbuf);
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_HTTP_VERSION, long(CURL_HTTP_VERSION_1_1));
    curl_easy_setopt(h, CURLOPT_USERAGENT, "Zentrivo");
    curl_easy_setopt(h, CURLOPT_COOKIEFILE, ""); // in-memory cookie engine
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, long(MaxRedirects));
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, long(ConnectTimeout));
    // A read timeout: fail when no byte moved for that long.
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, long(qMax(1, (ReadTimeout + 999) / 1000)));
    curl_easy_setopt(h, CURLOPT_BUFFERSIZE, 32768L);
    curl_easy_setopt(h, CURLOPT_UPLOAD_BUFFERSIZE, 32768L);
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYHOST, 2L);
    const QByteArray caFile = CaFile.toLocal8Bit();
    if (!CaFile.isEmpty())
        curl_easy_setopt(h, CURLOPT_CAINFO, caFile.constData());
    // An empty proxy also keeps libcurl from taking one from the environment.
    const QByteArray proxy = ProxyServer.toUtf8();
    curl_easy_setopt(h, CURLOPT_PROXY, proxy.constData());
    if (!ProxyServer.isEmpty() && ProxyPort > 0)
        curl_easy_setopt(h, CURLOPT_PROXYPORT, long(ProxyPort));
    if (FFresh) {
        curl_easy_setopt(h, CURLOPT_FRESH_CONNECT, 1L);
        FFresh = false;
    }
    curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, &THttpClient::HeaderCallback);
    curl_easy_setopt(h, CURLOPT_HEADERDATA, &t);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &THttpClient::WriteCallback);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &t);
    if (Intercept && Intercept->Active()) {
        curl_easy_setopt(h, CURLOPT_DEBUGFUNCTION, &THttpClient::DebugCallback);
        curl_easy_setopt(h, CURLOPT_DEBUGDATA, Intercept);
        curl_easy_setopt(h, CURLOPT_VERBOSE, 1L);
    }

    const bool hasBody = method == "POST" || method == "PUT";
    if (method == "GET") {
        curl_easy_setopt(h, CURLOPT_HTTPGET, 1L);
    } else if (method == "PUT") {
        curl_easy_setopt(h, CURLOPT_UPLOAD, 1L);
        curl_easy_setopt(h, CURLOPT_INFILESIZE_LARGE, curl_off_t(t.BodySize));
    } else if (method == "POST") {
        curl_easy_setopt(h, CURLOPT_POST, 1L);
        curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t(t.BodySize));
        if (!body)
            curl_easy_setopt(h, CURLOPT_POSTFIELDS, "");
    } else {
        curl_easy_setopt(h, CURLOPT_CUSTOMREQUEST, method.constData());
    }
    if (body) {
        curl_easy_setopt(h, CURLOPT_READFUNCTION, &THttpClient::ReadCallback);
        curl_easy_setopt(h, CURLOPT_READDATA, &t);
    }

    struct curl_slist* headers = nullptr;
    const QByteArray contentType = "Content-Type: " + ContentType.toLatin1();
    headers = curl_slist_append(headers, contentType.constData());
    headers = curl_slist_append(headers, "Expect:");
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers);
    struct SlistGuard {
        curl_slist* l;
        ~SlistGuard() { curl_slist_free_all(l); }
    } guard{headers};

    auto cancelled = [] {
        return EHttpConnectionError(
            QStringLiteral("Connection closed: the transfer was cancelled"));
    };

    if (hasBody) {
        if (OnWorkBegin)
            OnWorkBegin(TWorkMode::wmWrite, t.BodySize);
        if (t.BodySize == 0 && OnWorkEnd)
            OnWorkEnd(TWorkMode::wmWrite);
        if (FAbort)
            throw cancelled();
    }

    const CURLcode res = curl_easy_perform(h);
    long code = 0;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &code);
    FStatus = int(code);
    if (FAbort) {
        FFresh = true;
        throw cancelled();
    }
    if (!t.LocalError.isEmpty()) {
        FFresh = true;
        throw EInOutError(t.LocalError);
    }
    if (res == CURLE_TOO_MANY_REDIRECTS)
        throw EHttpProtocolError(QStringLiteral("Too many redirects (more than %1) for %2")
                                     .arg(MaxRedirects)
                                     .arg(url.section(QLatin1Char('?'), 0, 0)),
                                 FStatus, QByteArray());
    if (res != CURLE_OK) {
        FFresh = true;
        const QString detail =
            errbuf[0] ? QString::fromUtf8(errbuf) : QString::fromUtf8(curl_easy_strerror(res));
        const QString where = url.section(QLatin1Char('?'), 0, 0);
        switch (res) {
        case CURLE_OPERATION_TIMEDOUT: {
            curl_off_t connected = 0;
            curl_easy_getinfo(h, CURLINFO_CONNECT_TIME_T, &connected);
            throw EHttpConnectionError(connected > 0
                                           ? QStringLiteral("Read timed out (%1)").arg(where)
                                           : QStringLiteral("Connect timed out (%1)").arg(where));
        }
        case CURLE_COULDNT_CONNECT:
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_RESOLVE_PROXY:
            throw EHttpConnectionError(
                QStringLiteral("Could not connect to %1: %2").arg(where, detail));
        case CURLE_PEER_FAILED_VERIFICATION:
        case CURLE_SSL_CACERT_BADFILE:
            throw EHttpConnectionError(
                QStringLiteral("The server's certificate could not be verified (%1): %2")
                    .arg(where, detail));
        default:
            throw EHttpConnectionError(
                QStringLiteral("Connection failed (%1): %2").arg(where, detail));
        }
    }

    // The whole answer has arrived: close its read events, also for an empty body.
    if (!t.ReadBegun) {
        t.ReadBegun = true;
        if (OnWorkBegin)
            OnWorkBegin(TWorkMode::wmRead, 0);
    }
    if (OnWorkEnd)
        OnWorkEnd(TWorkMode::wmRead);
    if (FAbort) {
        FFresh = true;
        throw cancelled();
    }

    if (FStatus < 200 || FStatus >= 300) {
        QString message = QString::fromLatin1(t.StatusLine);
        if (message.isEmpty())
            message = QStringLiteral("HTTP status %1").arg(FStatus);
        // The store explains its refusals in a JSON member "error".
        const QJsonDocument doc = QJsonDocument::fromJson(t.ErrorBody);
        if (doc.isObject() && doc.object().value(QStringLiteral("error")).isString())
            message +=
                QStringLiteral(": ") + doc.object().value(QStringLiteral("error")).toString();
        throw EHttpProtocolError(message, FStatus, t.ErrorBody);
    }
    return FStatus;
}
