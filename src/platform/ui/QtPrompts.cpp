#include "platform/ui/QtPrompts.h"

#include "platform/WaitCursor.h"
#include "platform/ui/ChineseFileListModel.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDialog>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QVBoxLayout>
#include <QWidget>
#include <exception>
#include <thread>

using namespace Qt::StringLiterals;

namespace nbr {

namespace {

QMessageBox::Icon toQtIcon(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::None:
        return QMessageBox::NoIcon;
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Critical:
        return QMessageBox::Critical;
    }
    return QMessageBox::Information;
}

QWidget* dialogParent() {
    return QApplication::activeWindow();
}

// The classic filter "description|patterns" in Qt's form "description (patterns)".
QString toQtFilter(const QString& filter) {
    const qsizetype bar = filter.indexOf(u'|');
    if (bar < 0)
        return filter;
    QString patterns = filter.mid(bar + 1);
    patterns.replace(u';', u' ');
    return filter.left(bar) + u" ("_s + patterns + u')';
}

// A short message gives a narrow box, and the window manager cuts its title
// ("系…示"): the box is made wide enough for the title and the title bar's
// buttons. QMessageBox fixes its own size, from its layout's minimum.
void fitTitle(QMessageBox& box) {
    constexpr int kTitleBarButtons = 140; // icon, minimise, maximise, close, margins
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid)
        return;
    const int width = box.fontMetrics().horizontalAdvance(box.windowTitle()) + kTitleBarButtons;
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                  grid->rowCount(), 0, 1, grid->columnCount());
}

} // namespace

namespace {

// Shown while the program waits for something it cannot hurry, such as a
// server slow to answer a log-in. It has no button; closing it (Alt+F4, the
// title bar's cross, Esc) asks the program to end once the wait is over.
class WaitBox : public QDialog {
public:
    WaitBox(const QString& text, QWidget* parent) : QDialog(parent) {
        setWindowTitle(u"请稍候"_s);
        setWindowModality(Qt::ApplicationModal);
        m_text = new QLabel(text, this);
        auto* busy = new QProgressBar(this);
        busy->setRange(0, 0);
        busy->setTextVisible(false);
        busy->setAccessibleName(text);
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(m_text);
        layout->addWidget(busy);
        setMinimumWidth(320);
    }

    bool closeRequested() const { return m_closeRequested; }

protected:
    void closeEvent(QCloseEvent* event) override {
        event->ignore();
        requestClose();
    }
    void reject() override { requestClose(); }

private:
    void requestClose() {
        if (m_closeRequested)
            return;
        m_closeRequested = true;
        m_text->setText(m_text->text() + u"\n完成后程序将退出。"_s);
    }

    QLabel* m_text;
    bool m_closeRequested = false;
};

} // namespace

void QtPrompts::message(const QString& text, const QString& title, MessageIcon icon) {
    if (m_quitRequested) // the program is ending: nobody is to be asked anything
        return;
    QMessageBox box(toQtIcon(icon), title, text, QMessageBox::Ok, dialogParent());
    fitTitle(box);
    box.exec();
}

bool QtPrompts::askYesNo(const QString& text, const QString& title, MessageIcon icon) {
    if (m_quitRequested)
        return false;
    QMessageBox box(toQtIcon(icon), title, text, QMessageBox::Yes | QMessageBox::No,
                    dialogParent());
    fitTitle(box);
    return box.exec() == QMessageBox::Yes;
}

std::optional<QString> QtPrompts::saveFileName(const QString& proposedName, const QString& filter) {
    if (m_quitRequested)
        return std::nullopt;
    QFileDialog dialog(dialogParent());
    showChineseFileList(dialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(toQtFilter(filter));
    // The report asks itself before replacing, about the name it will really
    // write (the dialog would ask about the typed one), and appends no extension.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    // A proposal with a folder opens the dialog in that folder.
    dialog.selectFile(proposedName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

// The work runs on a thread of its own while this one keeps the wait box
// painted and the desktop answered; the work must not touch any widget.
void QtPrompts::whileWaiting(const QString& text, const std::function<void()>& work) {
    WaitBox box(text, dialogParent());
    const WaitCursor wait;
    QEventLoop loop;
    std::exception_ptr failure;
    std::thread worker([&] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    box.show();
    loop.exec();
    worker.join();
    box.hide();
    if (box.closeRequested())
        quit(0);
    if (failure)
        std::rethrow_exception(failure);
}

// Leaves every event loop at once (a modal dialog's too); no window gets to
// ask its closing question.
void QtPrompts::quit(int exitCode) {
    m_quitRequested = true;
    m_exitCode = exitCode;
    QCoreApplication::exit(exitCode);
}

} // namespace nbr
