#pragma once

#include <optional>

#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "backdrop.h"
#include "board_scale.h"
#include "design.h"

namespace brivadoro {

QColor toQColor(Colour colour);
QString designText(std::string_view utf8);

// A control's design rectangle and font at the scale's zoom. The font is laid out at its scaled size,
// so text stays sharp at any zoom.
class ScaledPlacement {
public:
    ScaledPlacement(QWidget& widget, const ControlDesign& design);
    void apply(QWidget& widget, const BoardScale& scale) const;

private:
    const ControlDesign* design_;
    QFont font_;
};

// A command button of the board. A graphical one paints its BackColor through the palette; writing
// the colour it already has costs a comparison and nothing more. Q_OBJECT, as the board looks its
// buttons up by type.
class BoardButton final : public QPushButton {
    Q_OBJECT

public:
    BoardButton(const ControlDesign& design, QWidget* parent);

    [[nodiscard]] Colour backColor() const { return backColor_; }
    void setBackColor(Colour colour);

    [[nodiscard]] QString caption() const { return text(); }
    void setCaption(const QString& caption) { setText(caption); }

    // A picture drawn from its vector image at side × side design pixels, times the zoom.
    void setPicture(const QIcon& picture, int side);
    void rescale(const BoardScale& scale);

private:
    ScaledPlacement placement_;
    Colour backColor_ = 0;
    int pictureSide_ = 0;
};

// A label of the board. Its caption is plain text; an auto-size label fits every new caption; a
// shown label takes the clicks made on it, as the board's own labels did, instead of passing them
// to the board.
class BoardLabel final : public QLabel {
public:
    BoardLabel(const ControlDesign& design, QWidget* parent);

    [[nodiscard]] QString caption() const { return text(); }
    void setCaption(const QString& caption);

    // An auto-size label that is hidden fits its caption when it is shown: the board has hidden
    // labels in large fonts that would otherwise be laid out for nothing at every start.
    void setVisible(bool visible) override;

    // Places the label at the scale's zoom, its border as thick as the zoom makes it.
    void rescale(const BoardScale& scale);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void fitCaptionIfShown();

    ScaledPlacement placement_;
    bool autoSize_ = false;
    bool sizeStale_ = false;
};

// The board's text box.
class BoardTextBox final : public QLineEdit {
public:
    BoardTextBox(const ControlDesign& design, QWidget* parent);
    void rescale(const BoardScale& scale) { placement_.apply(*this, scale); }

private:
    ScaledPlacement placement_;
};

// A timer with the board's Enabled property: enabling a running timer does not restart its count.
class BoardTimer final : public QTimer {
public:
    BoardTimer(int intervalMs, Qt::TimerType type, QObject* parent);

    [[nodiscard]] bool enabled() const { return isActive(); }
    void setEnabled(bool on);
};

// The board's inner area: it shows the backdrop, and a press and release on it (not on a control
// that takes the click) is the board's own click.
class BoardSurface final : public QWidget {
    Q_OBJECT
public:
    BoardSurface(QCursor pointer, QWidget* parent);

    // The backdrop is kept as its digits and painted at whatever size the area has.
    void setBackdrop(BackdropDigits digits);
    // The backdrop as the area shows it, for a reader that wants its pixels.
    [[nodiscard]] QImage backdrop() const;

    // A control that lets clicks through to the board but keeps its own pointer.
    void setPassThroughPointer(QWidget* control, const QCursor& cursor);

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void paintBackdropWithin(QPainter& painter, const QRect& within) const;

    std::optional<BackdropDigits> digits_;
    QCursor boardCursor_;
    QWidget* passThrough_ = nullptr;
    QCursor passThroughCursor_;
    bool pressed_ = false;
};

// Holds the inner area centred at the largest size that fits, and paints the margins around it
// in the board's own colour.
class BoardFrame final : public QWidget {
    Q_OBJECT
public:
    explicit BoardFrame(QWidget* parent);
    void setBoardSize(QSize size);
    [[nodiscard]] QSize sizeHint() const override { return boardSize_; }

signals:
    void resized();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QSize boardSize_;
};

} // namespace brivadoro
