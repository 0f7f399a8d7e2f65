#include "workbook/WorkbookText.h"

#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace nbr {

namespace {

constexpr char16_t kReplacement = u'\uFFFD';

// How many code units starting at i form one character a workbook can hold
// as it is: 1 or 2 (a surrogate pair); 0 for one unit that must be replaced.
qsizetype keptUnits(QStringView text, qsizetype i) {
    const char16_t c = text[i].unicode();
    if (c < 0x20)
        return c == u'\t' || c == u'\n' || c == u'\r' ? 1 : 0;
    if (c < 0xD800)
        return 1;
    if (c <= 0xDBFF)
        return i + 1 < text.size() && text[i + 1].isLowSurrogate() ? 2 : 0;
    if (c <= 0xDFFF)
        return 0;
    return c >= 0xFFFE ? 0 : 1;
}

// The workbook format reads "_xHHHH_" as the character HHHH: a text that
// holds such a sequence literally keeps it only with its underscore written
// as "_x005F_".
std::optional<QString> escapeCharacterCodes(QStringView text) {
    static const QRegularExpression code(u"_(?=x[0-9A-Fa-f]{4}_)"_s);
    if (!text.contains(u"_x"_s) || !code.match(text).hasMatch())
        return std::nullopt;
    return text.toString().replace(code, u"_x005F_"_s);
}

std::optional<QString> cutAndReplaced(QStringView text, bool& truncated) {
    bool clean = text.size() <= kCellTextLimit;
    for (qsizetype i = 0; clean && i < text.size();) {
        const qsizetype units = keptUnits(text, i);
        clean = units > 0;
        i += units;
    }
    if (clean)
        return std::nullopt;

    QString safe;
    safe.reserve(std::min(text.size(), kCellTextLimit));
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype units = keptUnits(text, i);
        if (safe.size() + std::max<qsizetype>(units, 1) > kCellTextLimit) {
            truncated = true;
            break;
        }
        if (units == 0)
            safe.append(QChar(kReplacement));
        else
            safe.append(text.mid(i, units));
        i += std::max<qsizetype>(units, 1);
    }
    return safe;
}

} // namespace

CellText workbookSafeText(QStringView text) {
    CellText cell;
    cell.replacement = cutAndReplaced(text, cell.truncated);
    if (std::optional<QString> escaped =
            escapeCharacterCodes(cell.replacement ? QStringView(*cell.replacement) : text))
        cell.replacement = std::move(escaped);
    return cell;
}

} // namespace nbr
