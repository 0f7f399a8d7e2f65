#include "FakePrompts.h"

namespace nbr::test {

void FakePrompts::message(const QString& text, const QString& title, MessageIcon icon) {
    record({RecordedPrompt::Message, text, title, icon});
}

bool FakePrompts::askYesNo(const QString& text, const QString& title, MessageIcon icon) {
    record({RecordedPrompt::Question, text, title, icon});
    if (yesNoAnswers.empty())
        return false;
    const bool answer = yesNoAnswers.front();
    yesNoAnswers.pop_front();
    return answer;
}

std::optional<QString> FakePrompts::saveFileName(const QString& proposedName,
                                                 const QString& filter) {
    record({RecordedPrompt::SaveDialog, proposedName, filter, MessageIcon::None});
    if (saveAnswers.empty())
        return std::nullopt;
    const QString answer = saveAnswers.front().value_or(QString());
    const bool cancelled = !saveAnswers.front().has_value();
    saveAnswers.pop_front();
    if (cancelled)
        return std::nullopt;
    return answer;
}

void FakePrompts::record(const RecordedPrompt& prompt) {
    recorded.append(prompt);
    if (onPrompt)
        onPrompt(prompt);
}

QStringList FakePrompts::messageTexts() const {
    QStringList texts;
    for (const auto& p : recorded)
        if (p.kind == RecordedPrompt::Message)
            texts << p.text;
    return texts;
}

} // namespace nbr::test
