#include "platform/TextMeasure.h"

#include "platform/Twips.h"

#include <algorithm>

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

double TextMeasure::estimate(const QString& text) const {
    constexpr qsizetype kLongest = 40;
    if (text.size() > kLongest)
        return -1;
    double sum = 0;
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 32 || u > 126)
            return -1;
        double& advance = m_advances[u];
        if (advance == 0)
            advance = m_metrics.horizontalAdvance(c) * m_twipsPerPixel;
        sum += advance;
    }
    return sum;
}

double TextMeasure::widest(const std::vector<const QString*>& texts) const {
    double widest = 0;
    double widestEstimate = 0;
    std::vector<std::pair<double, const QString*>> estimated;
    for (const QString* text : texts) {
        if (text->isEmpty())
            continue;
        const double guess = estimate(*text);
        if (guess < 0) {
            widest = std::max(widest, width(*text));
            continue;
        }
        estimated.emplace_back(guess, text);
        widestEstimate = std::max(widestEstimate, guess);
    }
    // Kerning and positioning move a whole text by less than a pixel either
    // way: a text estimated more than two pixels short of the widest
    // estimate cannot be the widest. Texts of one estimate (a column of
    // amounts of one length, tens of thousands of them) are made of the same
    // advances, so one of them is measured for all.
    const double margin = 2 * m_twipsPerPixel;
    std::vector<double> measured;
    for (const auto& [guess, text] : estimated) {
        if (guess < widestEstimate - margin ||
            std::find(measured.begin(), measured.end(), guess) != measured.end())
            continue;
        measured.push_back(guess);
        widest = std::max(widest, width(*text));
    }
    return widest;
}

double TextMeasure::lineHeight() const {
    return m_metrics.height() * kTwipsPerInch / logicalDpi();
}

} // namespace nbr
