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
    void whileWaiting(const QString& text, const std::function<void()>& work) override;
    void quit(int exitCode) override;

    // True once quit() ran (a quit before the event loop starts must end the
    // program too), with the status to end with.
    bool quitRequested() const { return m_quitRequested; }
    int exitCode() const { return m_exitCode; }

private:
    bool m_quitRequested = false;
    int m_exitCode = 0;
};

} // namespace nbr
