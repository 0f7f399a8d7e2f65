#include "workbook/WorkbookCheck.h"

#include <QFile>
#include <expat.h>
#include <memory>
#include <unzip.h>

#ifdef _WIN32
#include <QDir>
#include <iowin32.h>
#include <string>
#endif

using namespace Qt::StringLiterals;

namespace nbr {

namespace {

constexpr int kChunkBytes = 256 * 1024;

bool isXmlPart(const QByteArray& name) {
    return name.endsWith(".xml") || name.endsWith(".rels");
}

// Inflates the archive's current part and parses an XML part as it comes,
// chunk by chunk (expat checks well-formedness at several hundred MB/s;
// QXmlStreamReader's token by token decoding cost as much as the export).
std::optional<QString> checkCurrentPart(unzFile zip, bool xml, QByteArray& buffer) {
    if (unzOpenCurrentFile(zip) != UNZ_OK)
        return u"无法解压"_s;
    const std::unique_ptr<XML_ParserStruct, decltype(&XML_ParserFree)> parser(
        XML_ParserCreate(nullptr), XML_ParserFree);
    bool wellFormed = parser != nullptr;
    qint64 bytes = 0;
    int read = 0;
    while ((read = unzReadCurrentFile(zip, buffer.data(), int(buffer.size()))) > 0) {
        bytes += read;
        if (xml && wellFormed)
            wellFormed = XML_Parse(parser.get(), buffer.constData(), read, false) == XML_STATUS_OK;
    }
    const int closed = unzCloseCurrentFile(zip);
    if (read < 0 || closed != UNZ_OK)
        return closed == UNZ_CRCERROR ? u"校验和不符"_s : u"压缩数据损坏"_s;
    if (!xml)
        return std::nullopt;
    if (bytes == 0)
        return u"内容为空"_s;
    // The last call tells expat the document ends here: it must be whole.
    if (wellFormed && XML_Parse(parser.get(), nullptr, 0, true) == XML_STATUS_OK)
        return std::nullopt;
    if (!parser)
        return u"内存不足"_s;
    return u"XML 格式错误（第 %1 行：%2）"_s.arg(XML_GetCurrentLineNumber(parser.get()))
        .arg(QString::fromUtf8(XML_ErrorString(XML_GetErrorCode(parser.get()))));
}

// The archive by its full name, whatever characters the name holds.
unzFile openArchive(const QString& path) {
#ifdef _WIN32
    zlib_filefunc64_def files;
    fill_win32_filefunc64W(&files);
    const std::wstring name = QDir::toNativeSeparators(path).toStdWString();
    return unzOpen2_64(name.c_str(), &files);
#else
    return unzOpen64(QFile::encodeName(path).constData());
#endif
}

} // namespace

std::optional<QString> findWorkbookDefect(const QString& path) {
    unzFile zip = openArchive(path);
    if (!zip)
        return u"不是完整的 zip 文件"_s;
    QByteArray buffer(kChunkBytes, Qt::Uninitialized);
    std::optional<QString> defect;
    bool hasContentTypes = false;
    int step = unzGoToFirstFile(zip);
    for (; step == UNZ_OK && !defect; step = unzGoToNextFile(zip)) {
        char name[512];
        unz_file_info64 info{};
        if (unzGetCurrentFileInfo64(zip, &info, name, sizeof name, nullptr, 0, nullptr, 0) !=
            UNZ_OK) {
            defect = u"目录损坏"_s;
            break;
        }
        const QByteArray partName(name);
        hasContentTypes |= partName == "[Content_Types].xml";
        if (const auto partDefect = checkCurrentPart(zip, isXmlPart(partName), buffer))
            defect = QString::fromUtf8(partName) + u"："_s + *partDefect;
    }
    unzClose(zip);
    if (!defect && step != UNZ_END_OF_LIST_OF_FILE)
        defect = u"目录损坏"_s;
    if (!defect && !hasContentTypes)
        defect = u"缺少 [Content_Types].xml"_s;
    return defect;
}

} // namespace nbr
