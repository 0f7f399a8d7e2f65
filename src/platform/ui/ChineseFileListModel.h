#pragma once
// The save dialog's file list as the office's Chinese desktop shows it: the
// workbook types named as Windows names them ("Microsoft Excel 工作表"), sizes
// in whole kilobytes as Windows gives them, dates in the Chinese locale. Qt's
// file list formats sizes and dates in the machine's locale, which may well
// be English, and names types after the desktop's MIME database.

#include <QIdentityProxyModel>

class QFileDialog;

namespace nbr {

class ChineseFileListModel : public QIdentityProxyModel {
    Q_OBJECT
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    // Over a QFileSystemModel; any other source shows as it is.
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
};

// Makes the dialog Qt's own (a desktop's dialog follows the desktop's
// language) in the Chinese locale, its list this model in details view,
// every column wide enough for its texts.
void showChineseFileList(QFileDialog& dialog);

} // namespace nbr
