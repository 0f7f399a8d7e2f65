#pragma once
// Scripted prompts for the tests: records every message, question, dialog and
// quit, and answers questions and save dialogs from queues.

#include "platform/Prompts.h"

#include <QList>
#include <QStringList>
#include <deque>
#include <functional>

namespace nbr::test {

struct RecordedPrompt {
    enum Kind { Message, Question, SaveDialog } kind;
    QString text;  // message or question text; proposed name for a dialog
    QString title; // title; filter for a dialog
    MessageIcon icon = MessageIcon::Information;
};

class FakePrompts final : public Prompts {
public:
    void message(const QString& text, const QString& title, MessageIcon icon) override;
    bool askYesNo(const QString& text, const QString& title, MessageIcon icon) override;
    std::optional<QString> saveFileName(const QString& proposedName,
                                        const QString& filter) override;
    void quit(int exitCode) override {
        ++quitCount;
        lastExitCode = exitCode;
    }

    QList<RecordedPrompt> recorded;
    std::deque<bool> yesNoAnswers;                  // empty: answers No
    std::deque<std::optional<QString>> saveAnswers; // empty: cancels
    int quitCount = 0;
    int lastExitCode = 0;
    // Called with each prompt as it is recorded, while the caller waits for
    // it: lets a test look at the window at that moment.
    std::function<void(const RecordedPrompt&)> onPrompt;

    // The texts of the recorded messages, in order.
    QStringList messageTexts() const;
    void clear() { recorded.clear(); }

private:
    void record(const RecordedPrompt& prompt);
};

} // namespace nbr::test
