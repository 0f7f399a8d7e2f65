#include "platform/WindowFont.h"

#include <QStringList>

using namespace Qt::StringLiterals;

namespace nbr {

QFont windowFont() {
    QFont font;
    font.setFamilies(QStringList{u"微软雅黑"_s, u"Microsoft YaHei"_s, u"Noto Sans CJK SC"_s,
                      u"WenQuanYi Micro Hei"_s});
    font.setPointSize(9);
    return font;
}

} // namespace nbr
