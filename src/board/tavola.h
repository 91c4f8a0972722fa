#pragma once

#include <array>
#include <vector>

#include <QHash>
#include <QMainWindow>
#include <QPointF>

#include "board_scale.h"
#include "board_widgets.h"
#include "target_id.h"
#include "window_fit.h"

namespace brivadoro {

struct BoardPointers;

// The board: the game's only window, with every control, the menu and the two timers, built from
// the design table. It holds no game state; the game reads and writes its controls.
class Tavola final : public QMainWindow {
    Q_OBJECT
public:
    explicit Tavola(QWidget* parent = nullptr);

    BoardButton& target(TargetId id) { return *targets_[std::size_t(id)]; }
    BoardButton& cmdExit() { return *cmdExit_; }
    BoardButton& cmdNext() { return *cmdNext_; }
    BoardLabel& label(QStringView name);
    BoardLabel& Punteggio() { return label(u"Punteggio"); }
    BoardLabel& lblconto() { return label(u"lblconto"); }
    BoardLabel& lblnome() { return label(u"lblnome"); }
    BoardLabel& lblnome1() { return label(u"lblnome1"); }
    BoardLabel& lblpunti() { return label(u"lblpunti"); }
    BoardLabel& lblMessage() { return label(u"lblMessage"); }
    BoardLabel& lblNum1() { return label(u"lblNum1"); }
    BoardLabel& lblNum2() { return label(u"lblNum2"); }
    BoardTimer& Timer1() { return *timer1_; }
    BoardTimer& Timer2() { return *timer2_; }
    BoardSurface& surface() { return *surface_; }

    // Paints the digits' stripes into the backdrop. The first call switches the board from twips to
    // its own scale, pixels across and 512 units down, the targets staying where they show.
    void drawBackdrop(int firstDigit, int secondDigit);

    [[nodiscard]] const BoardScale& scale() const { return scale_; }
    // Target positions in the board's current scale; a position set on a hidden target holds.
    [[nodiscard]] float targetLeft(TargetId id) const { return float(positions_[std::size_t(id)].x()); }
    [[nodiscard]] float targetTop(TargetId id) const { return float(positions_[std::size_t(id)].y()); }
    void setTargetLeft(TargetId id, float left);
    void setTargetTop(TargetId id, float top);

    // Scales the whole board uniformly to the largest size that fits the window, centred.
    void fitBoardToWindow();
    // The window's size, state and screen; F11 toggles its full screen.
    WindowFit& windowFit() { return *windowFit_; }

signals:
    void boardClicked();
    void targetClicked(brivadoro::TargetId id);
    void exitClicked();
    void newGameChosen();
    void resized();
    void closeRequested();

protected:
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createControls(const BoardPointers& pointers);
    // Raises the buttons, indexes and connects the targets, and gives Exit and Next their pictures.
    void arrangeButtons(const std::vector<BoardButton*>& buttons, const BoardPointers& pointers);
    void createMenus();
    void placeTarget(TargetId id);
    void applyZoom(double zoom);

    BoardFrame* frame_ = nullptr;
    BoardSurface* surface_ = nullptr;
    std::vector<BoardButton*> buttons_;
    BoardTextBox* textBox_ = nullptr;
    std::array<BoardButton*, kAllTargets.size()> targets_{};
    std::array<QPointF, kAllTargets.size()> positions_{};
    BoardButton* cmdExit_ = nullptr;
    BoardButton* cmdNext_ = nullptr;
    QHash<QString, BoardLabel*> labels_;
    BoardTimer* timer1_ = nullptr;
    BoardTimer* timer2_ = nullptr;
    BoardScale scale_;
    WindowFit* windowFit_ = nullptr;
};

} // namespace brivadoro
