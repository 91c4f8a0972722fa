#include "board_widgets.h"

#include <algorithm>
#include <utility>

#include <QMouseEvent>
#include <QPainter>

namespace brivadoro {

namespace {

// The board's colour where no backdrop has been painted yet.
constexpr Colour kPlatformFace = 0x00F0F0F0;
// Around an inner area that does not fill the window: the deep blue the backdrop shades into.
constexpr Colour kMarginColour = 0x00400000;

QFont fontFor(const FontDesign& design, const QFont& platformFont) {
    if (design.face.empty())
        return platformFont;
    QFont font(designText(design.face));
    font.setPointSizeF(design.points);
    font.setBold(design.bold);
    font.setItalic(design.italic);
    return font;
}

void applyCommon(QWidget& widget, const ControlDesign& design, const ScaledPlacement& placement) {
    widget.setObjectName(designText(design.name));
    placement.apply(widget, BoardScale());
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

ScaledPlacement::ScaledPlacement(QWidget& widget, const ControlDesign& design)
    : design_(&design), font_(fontFor(design.font, widget.font())) {}

void ScaledPlacement::apply(QWidget& widget, const BoardScale& scale) const {
    widget.setGeometry(scale.fromTwips(design_->left, design_->top, design_->width, design_->height));
    QFont font = font_;
    if (font_.pointSizeF() > 0)
        font.setPointSizeF(font_.pointSizeF() * scale.zoom());
    else
        font.setPixelSize(std::max(1, qRound(font_.pixelSize() * scale.zoom())));
    widget.setFont(font);
}

BoardButton::BoardButton(const ControlDesign& design, QWidget* parent)
    : QPushButton(parent), placement_(*this, design) {
    applyCommon(*this, design, placement_);
    setText(designText(design.caption));
    if (design.backColor)
        setBackColor(*design.backColor);
}

void BoardButton::setPicture(const QIcon& picture, int side) {
    pictureSide_ = side;
    setIcon(picture);
    setIconSize(QSize(side, side));
}

void BoardButton::rescale(const BoardScale& scale) {
    placement_.apply(*this, scale);
    const int side = qRound(pictureSide_ * scale.zoom());
    setIconSize(QSize(side, side));
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
    : QLabel(parent), placement_(*this, design), autoSize_((design.flags & LabelFlag::AutoSize) != 0) {
    applyCommon(*this, design, placement_);
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

void BoardLabel::rescale(const BoardScale& scale) {
    placement_.apply(*this, scale);
    if (frameShape() != QFrame::NoFrame)
        setLineWidth(std::max(1, qRound(scale.zoom())));
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

BoardTextBox::BoardTextBox(const ControlDesign& design, QWidget* parent)
    : QLineEdit(parent), placement_(*this, design) {
    applyCommon(*this, design, placement_);
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

BoardSurface::BoardSurface(QCursor pointer, QWidget* parent)
    : QWidget(parent), boardCursor_(std::move(pointer)) {
    setFixedSize(BoardScale().innerSize());
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(boardCursor_);
}

void BoardSurface::setBackdrop(BackdropDigits digits) {
    digits_ = digits;
    update();
}

QImage BoardSurface::backdrop() const {
    QImage image(size(), QImage::Format_RGB32);
    QPainter painter(&image);
    paintBackdropWithin(painter, image.rect());
    return image;
}

void BoardSurface::paintBackdropWithin(QPainter& painter, const QRect& within) const {
    if (digits_)
        paintBackdrop(painter, size(), *digits_, within);
    else
        painter.fillRect(within, toQColor(kPlatformFace));
}

void BoardSurface::setPassThroughPointer(QWidget* control, const QCursor& cursor) {
    passThrough_ = control;
    passThroughCursor_ = cursor;
    setMouseTracking(true);
}

void BoardSurface::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    paintBackdropWithin(painter, event->rect());
}

void BoardSurface::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton;
}

void BoardSurface::mouseReleaseEvent(QMouseEvent* event) {
    const bool click =
        pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    pressed_ = false;
    if (click)
        emit clicked();
}

void BoardSurface::mouseMoveEvent(QMouseEvent* event) {
    if (!passThrough_)
        return;
    const bool over =
        passThrough_->isVisible() && passThrough_->geometry().contains(event->position().toPoint());
    setCursor(over ? passThroughCursor_ : boardCursor_);
}

BoardFrame::BoardFrame(QWidget* parent) : QWidget(parent) {
    QPalette pal = palette();
    pal.setColor(QPalette::Window, toQColor(kMarginColour));
    setPalette(pal);
    setAutoFillBackground(true);
}

void BoardFrame::setBoardSize(QSize size) {
    boardSize_ = size;
    updateGeometry();
}

void BoardFrame::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    emit resized();
}

} // namespace brivadoro
