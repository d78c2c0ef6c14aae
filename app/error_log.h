#pragma once

#include <QDateTime>
#include <QString>
#include <exception>

class UserDialogs;

// Where the error log lives: "C:\Users\Public\Zentrivo Error.log" on Windows, a file of
// the same name in the user's data folder elsewhere.
QString DefaultErrorLogPath();

// Class name of an escaped error as the log shows it.
QString ErrorClassName(const std::exception& e);
QString ErrorMessage(const std::exception& e);

// The three log lines for an error at `when`, each ending in CR LF.
QString FormatErrorEntry(const std::exception& e, const QDateTime& when);

// Appends the entry to the log file (created when missing). Never throws: a log that
// cannot be written must not hide the error being reported.
bool LogError(const std::exception& e, const QString& logPath = DefaultErrorLogPath());

// The application-wide hook for errors that escape a handler: logs the error and shows
// its message in an error box.
class ErrorHook {
public:
    ErrorHook(UserDialogs& dialogs, QString logPath = DefaultErrorLogPath())
        : FDialogs(dialogs), FLogPath(std::move(logPath)) {}
    void ApplicationEvents1Exception(const std::exception& e);
    void ApplicationEvents1Exception(); // an escaped error that is no std::exception
    const QString& LogPath() const { return FLogPath; }

private:
    UserDialogs& FDialogs;
    QString FLogPath;
};

// Runs one handler body; whatever escapes goes to the hook instead of the event loop.
template <class F> void Guarded(ErrorHook& hook, F&& body) {
    try {
        body();
    } catch (const std::exception& e) {
        hook.ApplicationEvents1Exception(e);
    } catch (...) {
        hook.ApplicationEvents1Exception();
    }
}
