#include "board_widgets.h"

#include <QMouseEvent>

namespace brivadoro {

namespace {

QFont fontFor(const FontDesign& design, const QFont& platformFont) {
    if (design.face.empty())
        return platformFont;
    QFont font(designText(design.face));
    font.setPointSizeF(design.points);
    font.setBold(design.bold);
    font.setItalic(design.italic);
    return font;
}

QRect pixelRect(const ControlDesign& design) {
    constexpr int k = BoardDesign::kTwipsPerPixel;
    return {design.left / k, design.top / k, design.width / k, design.height / k};
}

void applyCommon(QWidget& widget, const ControlDesign& design) {
    widget.setObjectName(designText(design.name));
    widget.setGeometry(pixelRect(design));
    widget.setFont(fontFor(design.font, widget.font()));
    widget.setVisible(design.visible);
    widget.setEnabled(design.enabled);
    if (!design.tooltip.empty())
        widget.setToolTip(designText(design.tooltip));
}

} // namespace

QString designText(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}

QColor toQColor(Colour colour) {
    return QColor(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF));
}

BoardButton::BoardButton(const ControlDesign& design, QWidget* parent) : QPushButton(parent) {
    applyCommon(*this, design);
    setText(designText(design.caption));
    if (design.backColor)
        setBackColor(*design.backColor);
}

void BoardButton::setBackColor(Colour colour) {
    if (colour == backColor_ && testAttribute(Qt::WA_SetPalette))
        return;
    backColor_ = colour;
    QPalette pal = palette();
    pal.setColor(QPalette::Button, toQColor(colour));
    setPalette(pal);
}

BoardLabel::BoardLabel(const ControlDesign& design, QWidget* parent)
    : QLabel(parent), autoSize_((design.flags & LabelFlag::AutoSize) != 0) {
    applyCommon(*this, design);
    setTextFormat(Qt::PlainText);
    if ((design.flags & LabelFlag::Centred) != 0)
        setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    else
        setAlignment(Qt::AlignLeft | Qt::AlignTop);
    if ((design.flags & LabelFlag::Border) != 0) {
        setFrameShape(QFrame::Box);
        setFrameShadow(QFrame::Plain);
        setLineWidth(1);
    }
    QPalette pal = palette();
    if (design.textColor)
        pal.setColor(QPalette::WindowText, toQColor(*design.textColor));
    const bool transparent = (design.flags & LabelFlag::Transparent) != 0;
    if (!transparent && design.backColor)
        pal.setColor(QPalette::Window, toQColor(*design.backColor));
    setPalette(pal);
    setAutoFillBackground(!transparent);
    setCaption(designText(design.caption));
}

void BoardLabel::setCaption(const QString& caption) {
    setText(caption);
    sizeStale_ = autoSize_;
    fitCaptionIfShown();
}

void BoardLabel::setVisible(bool visible) {
    QLabel::setVisible(visible);
    fitCaptionIfShown();
}

void BoardLabel::fitCaptionIfShown() {
    if (sizeStale_ && !isHidden()) {
        sizeStale_ = false;
        adjustSize();
    }
}

void BoardLabel::mousePressEvent(QMouseEvent* event) {
    event->accept();
}

void BoardLabel::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
}

BoardTimer::BoardTimer(int intervalMs, Qt::TimerType type, QObject* parent) : QTimer(parent) {
    setInterval(intervalMs);
    setTimerType(type);
}

void BoardTimer::setEnabled(bool on) {
    if (on == isActive())
        return;
    if (on)
        start();
    else
        stop();
}

} // namespace brivadoro
