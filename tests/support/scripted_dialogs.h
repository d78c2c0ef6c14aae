#pragma once

#include "user_dialogs.h"

#include <QList>
#include <QString>
#include <deque>
#include <optional>

// Records every message and file dialog and answers with what the test queued.
class ScriptedDialogs : public UserDialogs {
public:
    struct Shown {
        QString Text;
        MsgIcon Icon;
        MsgButtons Buttons;
        QString Caption;
    };

    MsgResult Message(const QString& text, MsgIcon icon, MsgButtons buttons,
                      const QString& caption) override {
        Messages.append({text, icon, buttons, caption});
        if (MessageAnswers.empty())
            return MsgResult::Ok;
        MsgResult r = MessageAnswers.front();
        MessageAnswers.pop_front();
        return r;
    }

    std::optional<QString> OpenFile(const FileOpenRequest& request) override {
        FileRequests.append(request);
        if (FileAnswers.empty())
            return std::nullopt;
        const bool chosen = FileAnswers.front().has_value();
        const QString file = chosen ? *FileAnswers.front() : QString();
        FileAnswers.pop_front();
        return chosen ? std::optional<QString>(file) : std::nullopt;
    }

    QStringList Texts() const {
        QStringList t;
        for (const Shown& s : Messages)
            t << s.Text;
        return t;
    }

    QList<Shown> Messages;
    std::deque<MsgResult> MessageAnswers;
    QList<FileOpenRequest> FileRequests;
    std::deque<std::optional<QString>> FileAnswers; // nullopt = cancel
};
