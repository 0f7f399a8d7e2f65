#pragma once
// The width of texts in one font, in twips, as the report grids measure their
// cells to size their columns. Names repeat from row to row, so widths of
// texts seen before come from a cache.

#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QString>

namespace nbr {

class TextMeasure {
public:
    explicit TextMeasure(const QFont& font);

    const QFont& font() const { return m_font; }
    // 0 for an empty text.
    double width(const QString& text) const;
    // The font's line height, in twips.
    double lineHeight() const;

private:
    static constexpr qsizetype kCacheLimit = 20000;

    QFont m_font;
    QFontMetricsF m_metrics;
    double m_twipsPerPixel;
    mutable QHash<QString, double> m_cache;
};

} // namespace nbr
