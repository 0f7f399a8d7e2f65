#pragma once
// Everything the program tells or asks the user, and ending the program.
// Logic never opens a message box itself: it is handed the prompts of the
// program it runs in, QtPrompts in the window program, StderrPrompts in the
// headless export, a scripted fake that records every call in the tests.

#include <QString>
#include <functional>
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
    // The save-file dialog: proposes a name (with a folder: in that folder),
    // offers one filter, returns the chosen path or nothing when the user
    // cancelled.
    virtual std::optional<QString> saveFileName(const QString& proposedName,
                                                const QString& filter) = 0;
    // Runs work while telling the user to wait (text), then returns or
    // rethrows what work threw. The window program shows a wait box with the
    // wait cursor and keeps answering the desktop meanwhile; closing that box
    // ends the program once work is done.
    virtual void whileWaiting(const QString& text, const std::function<void()>& work) {
        (void)text;
        work();
    }
    // Ends the program (closes every window, leaves the event loop) with
    // this exit status: 0 when the user chose to leave, non-zero when the
    // program cannot go on (no connection).
    virtual void quit(int exitCode = 0) = 0;
};

// The program's name as users know it, the title of the messages whose
// title the program chooses (the login's, the exit question).
QString programTitle();

} // namespace nbr
