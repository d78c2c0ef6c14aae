#pragma once

#include <QString>
#include <exception>
#include <string>

// Base of the program's own errors. Each carries a message for the user and a class
// name for the error log, so a log line tells which kind of failure it was.
class EZentrivo : public std::exception {
public:
    explicit EZentrivo(QString message, const char* className = "EZentrivo")
        : FMessage(std::move(message)), FClassName(className), FWhat(FMessage.toStdString()) {}
    const QString& Message() const { return FMessage; }
    const char* ClassName() const { return FClassName; }
    const char* what() const noexcept override { return FWhat.c_str(); }

private:
    QString FMessage;
    const char* FClassName;
    std::string FWhat;
};

// Settings store and hive failures.
class ERegistryException : public EZentrivo {
public:
    explicit ERegistryException(QString message)
        : EZentrivo(std::move(message), "ERegistryException") {}
};

// A value that cannot be converted to the type asked for.
class EVariantError : public EZentrivo {
public:
    explicit EVariantError(QString message) : EZentrivo(std::move(message), "EVariantError") {}
};

// File system failures (folder creation, reading, writing).
class EInOutError : public EZentrivo {
public:
    explicit EInOutError(QString message) : EZentrivo(std::move(message), "EInOutError") {}
};
