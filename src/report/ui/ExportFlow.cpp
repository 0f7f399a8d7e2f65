#include "report/ui/ExportFlow.h"

#include "platform/Error.h"
#include "platform/Prompts.h"
#include "platform/ReplacingFile.h"
#include "platform/WaitCursor.h"
#include "platform/ui/InputDiscard.h"
#include "report/WorkbookExport.h"
#include "session/AppContext.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProgressBar>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace nbr {

namespace {

// The proposed workbook name in the folder of the user's last export, while
// that folder is there; else the bare name, which the dialog proposes in its
// own folder.
QString inExportFolder(const AppContext& context, const QString& fileName) {
    const QString folder = context.state.exportFolder();
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return fileName;
    return QDir(folder).filePath(fileName);
}

} // namespace

std::optional<QString> askExportPath(AppContext& context, QString proposedName) {
    for (;;) {
        const std::optional<QString> path =
            context.prompts.saveFileName(proposedName, u"电子表|*.xls;*.xlsx"_s);
        if (!path)
            return std::nullopt;
        // Only a regular file that may be written is replaced after a
        // question; anything else at that name the export refuses, saying why.
        const QString written = workbookPath(*path);
        if (!QFileInfo(written).isFile() || ReplacingFile::isReadOnly(written))
            return path;
        if (context.prompts.askYesNo(u"文件“"_s + QFileInfo(written).fileName() +
                                         u"”已存在。要替换它吗？"_s,
                                     u"系统提示"_s, MessageIcon::Question))
            return path;
        proposedName = *path;
    }
}

void runExport(AppContext& context, const ExportControls& controls, const QString& proposedName,
               int rows, const QString& successText, const ExportWriter& write) {
    for (QPushButton* b : controls.buttons)
        b->hide();
    QProgressBar* bar = controls.progressBar;
    const auto restore = [&] {
        bar->hide();
        for (QPushButton* b : controls.buttons)
            b->show();
    };
    const std::optional<QString> path =
        askExportPath(context, inExportFolder(context, proposedName));
    if (!path) {
        context.prompts.message(u"您取消了导出操作！"_s, u"系统提示"_s, MessageIcon::Information);
        restore();
        return;
    }
    bar->setRange(0, rows);
    bar->setValue(0);
    bar->show();
    std::optional<ExportResult> result;
    try {
        // The user's input during the export is dropped; the outcome's
        // message takes input again.
        const InputDiscard busy(controls.window);
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        const WaitCursor wait;
        result = write(*path, throttled([bar](int row) { bar->setValue(row); }));
    } catch (const Error& e) {
        context.prompts.message(errorText(e), u"系统提示"_s, MessageIcon::Information);
    }
    if (result) {
        // The bar stands full while the user reads the outcome.
        bar->setValue(bar->maximum());
        context.state.setExportFolder(QFileInfo(result->path).absolutePath());
        const QStringList lines =
            QStringList{successText, QDir::toNativeSeparators(result->path)} + result->notes();
        context.prompts.message(lines.join(u'\n'), u"系统提示"_s, MessageIcon::Information);
    }
    restore();
}

} // namespace nbr
