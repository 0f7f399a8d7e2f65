#include "platform/SystemErrorText.h"

#include <cerrno>
#include <cstring>

using namespace Qt::StringLiterals;

namespace nbr {

QString systemErrorText(int error) {
    switch (error) {
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return u"磁盘空间不足"_s;
    case EACCES:
    case EPERM:
        return u"没有写入权限"_s;
    case EROFS:
        return u"所在位置只读"_s;
    case ENOENT:
        return u"文件夹不存在"_s;
    case ENOTDIR:
        return u"路径中的某一级不是文件夹"_s;
    case EISDIR:
        return u"该名称是一个文件夹"_s;
    case ENAMETOOLONG:
        return u"文件名或路径太长"_s;
    case ELOOP:
        return u"符号链接层数过多"_s;
    case EIO:
        return u"读写设备出错"_s;
    case EBUSY:
    case ETXTBSY:
        return u"文件正被占用"_s;
    default:
        return u"系统错误 %1（%2）"_s.arg(error).arg(QString::fromLocal8Bit(std::strerror(error)));
    }
}

} // namespace nbr
