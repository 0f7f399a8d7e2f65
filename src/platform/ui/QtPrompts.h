#pragma once
// Prompts shown with real Qt dialogs: QMessageBox and QFileDialog.

#include "platform/Prompts.h"

namespace nbr {

class QtPrompts final : public Prompts {
public:
    void message(const QString& text, const QString& title, MessageIcon icon) override;
    bool askYesNo(const QString& text, const QString& title, MessageIcon icon) override;
    std::optional<QString> saveFileName(const QString& proposedName,
                                        const QString& filter) override;
    void quit() override;

    // True once quit() ran (a quit before the event loop starts must end the program too).
    static bool quitRequested();
};

} // namespace nbr
