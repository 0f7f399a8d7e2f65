#include "workbook/WorkbookCheck.h"

#include <QFile>
#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <expat.h>
#include <memory>
#include <mutex>
#include <thread>
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

// Inflates the archive's current part on a thread of its own, a few chunks
// ahead of the caller: inflating a worksheet and parsing it take about as
// long as each other, so the two overlap. The zip is not touched by anyone
// else until the reader is gone.
class InflatingReader {
public:
    explicit InflatingReader(unzFile zip) : m_zip(zip) {
        for (int i = 0; i < kBuffers; ++i) {
            m_buffers[i].resize(kChunkBytes);
            m_free.push_back(i);
        }
        m_thread = std::thread([this] { inflate(); });
    }
    ~InflatingReader() {
        {
            const std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_changed.notify_all();
        m_thread.join();
    }
    InflatingReader(const InflatingReader&) = delete;
    InflatingReader& operator=(const InflatingReader&) = delete;

    // The next chunk in order, valid until the next call; nothing once the
    // part has been read to its end or inflating failed (see status()).
    std::optional<QByteArrayView> next() {
        std::unique_lock lock(m_mutex);
        if (m_current >= 0) {
            m_free.push_back(m_current);
            m_current = -1;
            m_changed.notify_all();
        }
        m_changed.wait(lock, [this] { return !m_full.empty() || m_finished; });
        if (m_full.empty())
            return std::nullopt;
        const auto [index, size] = m_full.front();
        m_full.pop_front();
        m_current = index;
        return QByteArrayView(m_buffers[index].constData(), size);
    }

    // unzReadCurrentFile's last answer: 0 at the end, negative on an error.
    int status() {
        const std::lock_guard lock(m_mutex);
        return m_status;
    }

private:
    static constexpr int kBuffers = 4;

    void inflate() {
        for (;;) {
            int index = -1;
            {
                std::unique_lock lock(m_mutex);
                m_changed.wait(lock, [this] { return !m_free.empty() || m_stop; });
                if (m_stop)
                    break;
                index = m_free.front();
                m_free.pop_front();
            }
            const int read = unzReadCurrentFile(m_zip, m_buffers[index].data(), kChunkBytes);
            const std::lock_guard lock(m_mutex);
            if (read <= 0) {
                m_status = read;
                break;
            }
            m_full.emplace_back(index, read);
            m_changed.notify_all();
        }
        const std::lock_guard lock(m_mutex);
        m_finished = true;
        m_changed.notify_all();
    }

    unzFile m_zip;
    QByteArray m_buffers[kBuffers];
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<int> m_free;                 // buffers the inflater may fill
    std::deque<std::pair<int, int>> m_full; // filled buffers and their sizes, in order
    int m_current = -1;                     // the buffer the caller is reading
    int m_status = 0;
    bool m_finished = false;
    bool m_stop = false;
    std::thread m_thread;
};

// Inflates the archive's current part and parses an XML part as it comes,
// chunk by chunk (expat checks well-formedness at several hundred MB/s;
// QXmlStreamReader's token by token decoding cost as much as the export).
std::optional<QString> checkCurrentPart(unzFile zip, const unz_file_info64& info, bool xml,
                                        const WrittenSheet* written) {
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
    {
        // Read to the end even once the XML is known to be bad: a broken
        // checksum or length is what the user should hear of first.
        InflatingReader reader(zip);
        while (const std::optional<QByteArrayView> chunk = reader.next()) {
            bytes += chunk->size();
            if (xml && wellFormed)
                wellFormed = XML_Parse(parser.get(), chunk->data(), int(chunk->size()), false) ==
                             XML_STATUS_OK;
        }
        read = reader.status();
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
        if (const auto partDefect = checkCurrentPart(zip, info, isXmlPart(partName), written))
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
