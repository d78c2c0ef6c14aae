#pragma once

#include "system_services.h"

#include <QStringList>

// A computer for tests: a documents folder and a name of the test's choosing.
class FakeSystem : public SystemServices {
public:
    FakeSystem(QString docs, QString name) : Docs(std::move(docs)), Name(std::move(name)) {}
    QString DocumentsFolder() const override { return Docs; }
    QString ComputerName() const override { return Name; }
    bool OpenUrl(const QString& url) override {
        OpenedUrls << url;
        return OpenUrlResult;
    }
    QString Docs;
    QString Name;
    QStringList OpenedUrls;
    bool OpenUrlResult = true;
};
