#pragma once
// Prompts without a display, for the headless export: every message goes to
// standard error,
// questions are answered No and save dialogs cancelled, since nobody is
// there to answer them.

#include "platform/Prompts.h"

namespace nbr {

class StderrPrompts final : public Prompts {
public:
    void message(const QString& text, const QString& title, MessageIcon icon) override;
    bool askYesNo(const QString& text, const QString& title, MessageIcon icon) override;
    std::optional<QString> saveFileName(const QString& proposedName,
                                        const QString& filter) override;
    void quit(int) override {}
};

// One line on standard error, UTF-8: progress, warnings and errors.
void printError(const QString& line);

// One line on standard output, UTF-8: a command's results.
void printOutput(const QString& line);

} // namespace nbr
