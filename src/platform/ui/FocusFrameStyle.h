#pragma once
// The program's widget style: the platform's own, with a dotted focus frame
// inside the push button that has the focus, however it got it, so the user
// sees which button Enter or Space will press.

#include <QProxyStyle>

namespace nbr {

class FocusFrameStyle : public QProxyStyle {
    Q_OBJECT
public:
    using QProxyStyle::QProxyStyle;

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
};

} // namespace nbr
