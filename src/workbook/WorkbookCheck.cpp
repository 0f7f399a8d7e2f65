#include "workbook/WorkbookCheck.h"

#include <QFile>
#include <algorithm>
#include <cstring>
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

// Follows a worksheet's XML as expat parses it and compares its rows, and
// the cells in each, with what was written.
class RowCounter {
public:
    explicit RowCounter(const WrittenSheet& sheet) : m_sheet(sheet) {}

    void attach(XML_Parser parser) {
        XML_SetUserData(parser, this);
        XML_SetStartElementHandler(
            parser, [](void* self, const XML_Char* name, const XML_Char** attributes) {
                static_cast<RowCounter*>(self)->start(name, attributes);
            });
    }

    // Once the part has been parsed whole: nothing, or the first row that
    // is missing, extra or short of cells.
    std::optional<QString> verdict() {
        finishRow();
        if (!m_defect && m_next < m_sheet.rows.size())
            m_defect = u"第 %1 行缺失"_s.arg(m_sheet.rows[m_next].index + 1);
        return m_defect;
    }

private:
    void start(const char* name, const char** attributes) {
        if (m_defect)
            return;
        if (std::strcmp(name, "c") == 0) {
            ++m_cells;
            return;
        }
        if (std::strcmp(name, "row") != 0)
            return;
        finishRow();
        if (m_defect)
            return;
        unsigned long number = 0; // 1-based, as the file numbers rows
        for (int i = 0; attributes[i]; i += 2)
            if (std::strcmp(attributes[i], "r") == 0)
                number = std::strtoul(attributes[i + 1], nullptr, 10);
        if (m_next == m_sheet.rows.size()) {
            m_defect = u"多出第 %1 行"_s.arg(number);
            return;
        }
        const unsigned long expected = m_sheet.rows[m_next].index + 1ul;
        if (number != expected) {
            m_defect =
                number > expected ? u"第 %1 行缺失"_s.arg(expected) : u"多出第 %1 行"_s.arg(number);
            return;
        }
        m_open = true;
        m_cells = 0;
    }

    void finishRow() {
        if (!m_open)
            return;
        m_open = false;
        const WrittenSheet::Row& row = m_sheet.rows[m_next++];
        if (m_cells != row.cells)
            m_defect = u"第 %1 行有 %2 个单元格，应为 %3 个"_s.arg(row.index + 1)
                           .arg(m_cells)
                           .arg(row.cells);
    }

    const WrittenSheet& m_sheet;
    size_t m_next = 0; // the written row expected next
    std::uint32_t m_cells = 0;
    bool m_open = false;
    std::optional<QString> m_defect;
};

// Inflates the archive's current part and parses an XML part as it comes,
// chunk by chunk (expat checks well-formedness at several hundred MB/s;
// QXmlStreamReader's token by token decoding cost as much as the export).
std::optional<QString> checkCurrentPart(unzFile zip, const unz_file_info64& info, bool xml,
                                        const WrittenSheet* written, QByteArray& buffer) {
    if (unzOpenCurrentFile(zip) != UNZ_OK)
        return u"无法解压"_s;
    const std::unique_ptr<XML_ParserStruct, decltype(&XML_ParserFree)> parser(
        XML_ParserCreate(nullptr), XML_ParserFree);
    bool wellFormed = parser != nullptr;
    std::optional<RowCounter> rows;
    if (written && parser) {
        rows.emplace(*written);
        rows->attach(parser.get());
    }
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
    if (quint64(bytes) != info.uncompressed_size)
        return u"长度为 %1 字节，应为 %2 字节"_s.arg(bytes).arg(info.uncompressed_size);
    if (!xml)
        return std::nullopt;
    if (bytes == 0)
        return u"内容为空"_s;
    // The last call tells expat the document ends here: it must be whole.
    if (wellFormed && XML_Parse(parser.get(), nullptr, 0, true) == XML_STATUS_OK)
        return rows ? rows->verdict() : std::nullopt;
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

std::optional<QString> findWorkbookDefect(const QString& path,
                                          const std::vector<WrittenSheet>& sheets) {
    unzFile zip = openArchive(path);
    if (!zip)
        return u"不是完整的 zip 文件"_s;
    QByteArray buffer(kChunkBytes, Qt::Uninitialized);
    std::optional<QString> defect;
    bool hasContentTypes = false;
    size_t sheetsSeen = 0;
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
        const auto sheet = std::find_if(sheets.begin(), sheets.end(), [&](const WrittenSheet& s) {
            return s.partName == partName;
        });
        const WrittenSheet* written = sheet == sheets.end() ? nullptr : &*sheet;
        sheetsSeen += written ? 1 : 0;
        if (const auto partDefect =
                checkCurrentPart(zip, info, isXmlPart(partName), written, buffer))
            defect = QString::fromUtf8(partName) + u"："_s + *partDefect;
    }
    unzClose(zip);
    if (!defect && step != UNZ_END_OF_LIST_OF_FILE)
        defect = u"目录损坏"_s;
    if (!defect && !hasContentTypes)
        defect = u"缺少 [Content_Types].xml"_s;
    if (!defect && sheetsSeen != sheets.size())
        defect = u"缺少工作表"_s;
    return defect;
}

} // namespace nbr
