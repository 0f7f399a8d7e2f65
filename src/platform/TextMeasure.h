#pragma once
// The width of texts in one font, in twips, as the report grids measure their
// cells to size their columns. Names repeat from row to row, so widths of
// texts seen before come from a cache.

#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QString>
#include <array>
#include <vector>

namespace nbr {

class TextMeasure {
public:
    explicit TextMeasure(const QFont& font);

    const QFont& font() const { return m_font; }
    // 0 for an empty text.
    double width(const QString& text) const;
    // The font's line height, in twips.
    double lineHeight() const;

    // The width of the widest of these texts, as width() gives it (to within
    // the kerning of texts made of the same characters' advances). A column
    // of a large report holds tens of thousands of distinct amounts: a short
    // ASCII text is first estimated from its characters' advances (which is
    // how digits, points and signs lay out, give or take a pixel), and only
    // those that could be the widest are measured whole, one per estimate.
    double widest(const std::vector<const QString*>& texts) const;

private:
    static constexpr qsizetype kCacheLimit = 20000;
    // The estimate of a printable ASCII text, or a negative value for any other.
    double estimate(const QString& text) const;

    QFont m_font;
    QFontMetricsF m_metrics;
    double m_twipsPerPixel;
    mutable QHash<QString, double> m_cache;
    mutable std::array<double, 128> m_advances{}; // 0: not measured yet
};

} // namespace nbr
