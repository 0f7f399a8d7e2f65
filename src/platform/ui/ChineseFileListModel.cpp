#include "platform/ui/ChineseFileListModel.h"

#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLocale>
#include <QTreeView>

using namespace Qt::StringLiterals;

namespace nbr {

namespace {

// QFileSystemModel's columns.
enum Column { Name, Size, Type, DateModified };

QString workbookType(const QString& suffix) {
    if (suffix.compare(u"xlsx"_s, Qt::CaseInsensitive) == 0)
        return u"Microsoft Excel 工作表"_s;
    if (suffix.compare(u"xls"_s, Qt::CaseInsensitive) == 0)
        return u"Microsoft Excel 97-2003 工作表"_s;
    return {};
}

// A file's size as Windows lists it: whole kilobytes, rounded up.
QString sizeText(const QLocale& locale, qint64 bytes) {
    return locale.toString((bytes + 1023) / 1024) + u" KB"_s;
}

} // namespace

QVariant ChineseFileListModel::data(const QModelIndex& index, int role) const {
    const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
    if (role != Qt::DisplayRole || !files)
        return QIdentityProxyModel::data(index, role);
    const QFileInfo info = files->fileInfo(mapToSource(index));
    const QLocale chinese(QLocale::Chinese, QLocale::China);
    switch (index.column()) {
    case Size:
        if (info.isFile())
            return sizeText(chinese, info.size());
        break;
    case Type:
        if (const QString type = info.isFile() ? workbookType(info.suffix()) : QString();
            !type.isEmpty())
            return type;
        break;
    case DateModified:
        return chinese.toString(info.lastModified(), QLocale::ShortFormat);
    }
    return QIdentityProxyModel::data(index, role);
}

void showChineseFileList(QFileDialog& dialog) {
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setLocale(QLocale(QLocale::Chinese, QLocale::China));
    dialog.setProxyModel(new ChineseFileListModel(&dialog));
    dialog.setViewMode(QFileDialog::Detail);
    // The list's name column takes what the others leave.
    if (auto* list = dialog.findChild<QTreeView*>(u"treeView"_s)) {
        list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
        list->header()->setSectionResizeMode(Name, QHeaderView::Stretch);
    }
}

} // namespace nbr
