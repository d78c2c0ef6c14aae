#pragma once

#include "errors.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <functional>
#include <memory>

class QIODevice;

// Failures of the HTTP layer. StatusCode is the answer's status, 0 when there was none.
class EHttpError : public EZentrivo {
public:
    EHttpError(QString message, int statusCode, const char* className)
        : EZentrivo(std::move(message), className), FStatusCode(statusCode) {}
    int StatusCode() const { return FStatusCode; }

private:
    int FStatusCode;
};

// The server answered with an error status (after the redirects that were allowed).
class EHttpProtocolError : public EHttpError {
public:
    EHttpProtocolError(QString message, int statusCode, QByteArray body)
        : EHttpError(std::move(message), statusCode, "EHttpProtocolError"), FBody(std::move(body)) {
    }
    const QByteArray& Body() const { return FBody; }

private:
    QByteArray FBody;
};

// No complete answer: connect or read timeout, refused or broken connection, TLS or
// certificate failure, or a transfer that the program cancelled.
class EHttpConnectionError : public EHttpError {
public:
    explicit EHttpConnectionError(QString message)
        : EHttpError(std::move(message), 0, "EHttpConnectionError") {}
};

// Writes the traffic of an HTTP client to a file as it passes (appending). The file
// stays open while the log is active.
class THttpLogFile {
public:
    QString FileName() const { return FFileName; }
    void SetFileName(const QString& name);
    bool Active() const { return FFile.isOpen(); }
    // Opens the file; raises EInOutError when it cannot be opened.
    void SetActive(bool active);
    void LogSent(const char* data, size_t size);
    void LogReceived(const char* data, size_t size);
    void LogHeaderSent(const char* data, size_t size);
    void LogHeaderReceived(const char* data, size_t size);

private:
    void Write(const char* tag, const char* data, size_t size);
    QString FFileName;
    QFile FFile;
};

enum class TWorkMode { wmRead, wmWrite };

// One libcurl connection for blocking HTTPS requests. Bodies of 2xx answers go to the
// caller's sink as they arrive; error answers raise EHttpProtocolError.
class THttpClient {
public:
    THttpClient();
    ~THttpClient();
    THttpClient(const THttpClient&) = delete;
    THttpClient& operator=(const THttpClient&) = delete;

    // Transfer events: begin (expected size, 0 when unknown), progress (bytes done), end.
    std::function<void(TWorkMode, qint64)> OnWorkBegin;
    std::function<void(TWorkMode, qint64)> OnWork;
    std::function<void(TWorkMode)> OnWorkEnd;

    QString ContentType = QStringLiteral("application/x-www-form-urlencoded");
    int ConnectTimeout = 15000; // ms
    int ReadTimeout = 30000;    // ms without any data moving
    int MaxRedirects = 2;
    QString CaFile; // empty: the system's certificate store
    QString ProxyServer;
    int ProxyPort = 0;
    THttpLogFile* Intercept = nullptr; // not owned

    // Sends one request. `body` (may be null) is read from its current position to its
    // end; a 2xx body is written to `sink` when given, otherwise collected into `text`.
    // Returns the status.
    int Request(const QByteArray& method, const QString& url, QIODevice* body, QIODevice* sink,
                QByteArray* text);

    // Ends the running transfer (it then fails) and makes the next request open a new
    // connection.
    void Disconnect();

    int LastStatus() const { return FStatus; }

private:
    struct Transfer;
    static size_t HeaderCallback(char* data, size_t size, size_t count, void* user);
    static size_t WriteCallback(char* data, size_t size, size_t count, void* user);
    static size_t ReadCallback(char* data, size_t size, size_t count, void* user);
    static int DebugCallback(void* handle, int type, char* data, size_t size, void* user);

    void* FCurl = nullptr;
    bool FAbort = false;
    bool FFresh = false;
    int FStatus = 0;
};
