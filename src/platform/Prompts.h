#pragma once
// Everything the program tells or asks the user, and ending the program.
// Logic never opens a message box itself: the program installs QtPrompts,
// the tests install a scripted fake that records every call.

#include <QString>
#include <optional>

namespace nbr {

enum class MessageIcon { None, Information, Question, Warning, Critical };

class Prompts {
public:
    virtual ~Prompts() = default;

    // A modal message box with one OK button.
    virtual void message(const QString& text, const QString& title,
                         MessageIcon icon = MessageIcon::Information) = 0;
    // A modal question with Yes and No; true for Yes.
    virtual bool askYesNo(const QString& text, const QString& title,
                          MessageIcon icon = MessageIcon::Information) = 0;
    // The save-file dialog: proposes a name, offers one filter, returns the
    // chosen path or nothing when the user cancelled.
    virtual std::optional<QString> saveFileName(const QString& proposedName,
                                                const QString& filter) = 0;
    // Ends the program (closes every window, leaves the event loop).
    virtual void quit() = 0;

    // The process-wide instance: the one installed, else StderrPrompts.
    static Prompts& current();
    // Installs p (not owned); nullptr returns to the default.
    static void install(Prompts* p);
};

// The executable's name without extension, the title of some messages.
QString programTitle();

} // namespace nbr
