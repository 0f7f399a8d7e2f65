#include "platform/ui/QtPrompts.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QWidget>

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

} // namespace

void QtPrompts::message(const QString& text, const QString& title, MessageIcon icon) {
    QMessageBox box(toQtIcon(icon), title, text, QMessageBox::Ok, dialogParent());
    box.exec();
}

bool QtPrompts::askYesNo(const QString& text, const QString& title, MessageIcon icon) {
    QMessageBox box(toQtIcon(icon), title, text, QMessageBox::Yes | QMessageBox::No,
                    dialogParent());
    return box.exec() == QMessageBox::Yes;
}

std::optional<QString> QtPrompts::saveFileName(const QString& proposedName, const QString& filter) {
    QFileDialog dialog(dialogParent());
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(toQtFilter(filter));
    // The classic dialog neither asks before replacing nor appends an extension.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    dialog.selectFile(proposedName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

namespace {
bool quitWasRequested = false;
} // namespace

// Leaves every event loop at once (a modal dialog's too); no window gets to
// ask its closing question.
void QtPrompts::quit() {
    quitWasRequested = true;
    QCoreApplication::exit(0);
}

bool QtPrompts::quitRequested() {
    return quitWasRequested;
}

} // namespace nbr
