#include "platform/QtTranslation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <cstring>

using namespace Qt::StringLiterals;

namespace nbr {

namespace {

// The texts of Qt's that its zh_CN file lacks (Qt 6 moved the file type names
// to a context of their own, which the file has not caught up with), and
// "Size", which it renders as 体积 where Chinese desktops say 大小.
class QtTextSupplement final : public QTranslator {
public:
    using QTranslator::QTranslator;

    QString translate(const char* context, const char* sourceText, const char* disambiguation,
                      int n) const override {
        (void)disambiguation;
        (void)n;
        struct Text {
            const char* context;
            const char* source;
            const char16_t* chinese;
        };
        static constexpr Text texts[] = {
            {"QAbstractFileIconProvider", "Folder", u"文件夹"},
            {"QAbstractFileIconProvider", "Drive", u"驱动器"},
            {"QAbstractFileIconProvider", "Shortcut", u"快捷方式"},
            {"QAbstractFileIconProvider", "File", u"文件"},
            {"QAbstractFileIconProvider", "Unknown", u"未知"},
            {"QFileSystemModel", "Size", u"大小"},
        };
        for (const Text& t : texts) {
            if (std::strcmp(t.context, context) == 0 && std::strcmp(t.source, sourceText) == 0)
                return QString::fromUtf16(t.chinese);
        }
        return {};
    }
    bool isEmpty() const override { return false; }
};

} // namespace

bool installQtTranslation() {
    // Dates, sizes and file types that Qt formats itself follow the default locale.
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    auto* translator = new QTranslator(QCoreApplication::instance());
    const bool installed =
        translator->load(u"qtbase_zh_CN"_s, QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
        QCoreApplication::installTranslator(translator);
    if (!installed)
        delete translator;
    // Installed last, so searched first.
    QCoreApplication::installTranslator(new QtTextSupplement(QCoreApplication::instance()));
    return installed;
}

} // namespace nbr
