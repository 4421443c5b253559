#pragma once

#include "window/Prompts.h"

#include <QFile>
#include <QString>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

namespace goalvanta::test {

// Answers the window's questions from a script and remembers what was asked.
class TFakePrompts final : public IPrompts {
public:
    struct TAsked {
        QString Text, Caption;
        TMessageIcon Icon;
        TMessageButtons Buttons;
    };
    std::vector<TAsked> Asked;
    std::deque<TMessageResult> Answers; // Ok when the script runs out
    std::deque<QString> Files;          // an empty name, or none left, cancels the dialog
    int OpenDialogs = 0, SaveDialogs = 0;
    std::function<void()> WhileAsking; // looks at the window while a message is open

    TMessageResult Message(const QString& text, const QString& caption, TMessageIcon icon,
                           TMessageButtons buttons) override {
        Asked.push_back({text, caption, icon, buttons});
        if (WhileAsking)
            WhileAsking();
        return Next(Answers, TMessageResult::Ok);
    }
    std::optional<QString> OpenFileName(const QString&, const QString&, const QString&) override {
        ++OpenDialogs;
        return NextFile();
    }
    std::optional<QString> SaveFileName(const QString&, const QString&, const QString&) override {
        ++SaveDialogs;
        return NextFile();
    }

private:
    static TMessageResult Next(std::deque<TMessageResult>& queue, TMessageResult otherwise) {
        if (queue.empty())
            return otherwise;
        const TMessageResult answer = queue.front();
        queue.pop_front();
        return answer;
    }
    std::optional<QString> NextFile() {
        const QString name = Files.empty() ? QString() : Files.front();
        if (!Files.empty())
            Files.pop_front();
        if (name.isEmpty())
            return std::nullopt;
        return name;
    }
};

// What stands at `path` now; empty when nothing can be read there.
inline QByteArray FileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace goalvanta::test
