#pragma once

#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "design.h"

namespace brivadoro {

QColor toQColor(Colour colour);
QString designText(std::string_view utf8);

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

private:
    Colour backColor_ = 0;
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

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void fitCaptionIfShown();

    bool autoSize_ = false;
    bool sizeStale_ = false;
};

// A timer with the board's Enabled property: enabling a running timer does not restart its count.
class BoardTimer final : public QTimer {
public:
    BoardTimer(int intervalMs, Qt::TimerType type, QObject* parent);

    [[nodiscard]] bool enabled() const { return isActive(); }
    void setEnabled(bool on);
};

} // namespace brivadoro
