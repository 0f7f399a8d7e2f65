#pragma once
// While a window is busy (a run, an export) the user's clicks and keys for
// it are dropped, not kept for later: one click is one run even when the
// click came twice. From construction to destruction, input that reaches
// the window is eaten; at destruction, what the window system still holds
// for it is taken and dropped too. Everything else is delivered as usual
// (closing the frame still asks), and other windows, a message box, get
// their input.

#include <QObject>

class QWidget;

namespace nbr {

class InputDiscard : public QObject {
public:
    explicit InputDiscard(QWidget* window);
    ~InputDiscard() override;
    InputDiscard(const InputDiscard&) = delete;
    InputDiscard& operator=(const InputDiscard&) = delete;

protected:
    bool eventFilter(QObject* receiver, QEvent* event) override;

private:
    QWidget* m_window;
};

} // namespace nbr
