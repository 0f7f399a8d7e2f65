#include "platform/TextMeasure.h"

#include "platform/Twips.h"

namespace nbr {

TextMeasure::TextMeasure(const QFont& font)
    : m_font(font), m_metrics(font), m_twipsPerPixel(kTwipsPerInch / logicalDpi()) {}

double TextMeasure::width(const QString& text) const {
    if (text.isEmpty())
        return 0;
    if (const auto it = m_cache.constFind(text); it != m_cache.constEnd())
        return *it;
    const double width = m_metrics.horizontalAdvance(text) * m_twipsPerPixel;
    if (m_cache.size() < kCacheLimit)
        m_cache.insert(text, width);
    return width;
}

double TextMeasure::lineHeight() const {
    return m_metrics.height() * kTwipsPerInch / logicalDpi();
}

} // namespace nbr
