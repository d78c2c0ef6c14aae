#pragma once

#include <QString>

// What the program asks of the operating system about the user and the computer.
class SystemServices {
public:
    virtual ~SystemServices() = default;
    // The user's documents folder without a trailing separator; empty when the system
    // cannot tell it.
    virtual QString DocumentsFolder() const = 0;
    // The computer's name as the system reports it (compared case-sensitively).
    virtual QString ComputerName() const = 0;
    // Opens a web address in the default browser; false when nothing could open it.
    virtual bool OpenUrl(const QString& url) = 0;
};

class PlatformSystemServices : public SystemServices {
public:
    QString DocumentsFolder() const override;
    QString ComputerName() const override;
    bool OpenUrl(const QString& url) override;
};
