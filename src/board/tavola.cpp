#include "tavola.h"

#include <algorithm>
#include <utility>
#include <vector>

#include <QAction>
#include <QCloseEvent>
#include <QMenuBar>
#include <QShowEvent>

#include "board_assets.h"

using namespace Qt::StringLiterals;

namespace brivadoro {

namespace {

// The design size of the pictures on the Exit and start buttons.
constexpr int kPictureSide = 24;

std::size_t targetIndex(QStringView name) {
    return std::size_t(std::find(kTargetNames.begin(), kTargetNames.end(), name) - kTargetNames.begin());
}

} // namespace

// The board's pointers, each drawn once per board.
struct BoardPointers {
    QCursor board = BoardAssets::gunSightPointer();
    QCursor standardIcon = BoardAssets::standardIconPointer();
    QCursor targetSight = BoardAssets::targetPointer();

    [[nodiscard]] QCursor operator()(Pointer pointer) const {
        switch (pointer) {
        case Pointer::Arrow:
            return Qt::ArrowCursor;
        case Pointer::StandardIcon:
            return standardIcon;
        case Pointer::TargetSight:
            return targetSight;
        case Pointer::Board:
            break;
        }
        return board;
    }
};

Tavola::Tavola(QWidget* parent) : QMainWindow(parent) {
    setObjectName(u"Tavola"_s);
    setWindowTitle(designText(BoardDesign::kCaption));
    setWindowIcon(BoardAssets::windowIcon());
    const BoardPointers pointers;
    frame_ = new BoardFrame(this);
    setCentralWidget(frame_);
    surface_ = new BoardSurface(pointers.board, frame_);
    surface_->setObjectName(u"inner"_s);
    connect(surface_, &BoardSurface::clicked, this, &Tavola::boardClicked);
    BoardScale smallest;
    smallest.setZoom(BoardScale::kSmallestZoom);
    frame_->setMinimumSize(smallest.innerSize());
    frame_->setBoardSize(surface_->size());
    connect(frame_, &BoardFrame::resized, this, &Tavola::fitBoardToWindow);

    createControls(pointers);
    createMenus();

    timer1_ = new BoardTimer(BoardDesign::kTimer1IntervalMs, Qt::PreciseTimer, this);
    timer1_->setObjectName(u"Timer1"_s);
    timer2_ = new BoardTimer(BoardDesign::kTimer2IntervalMs, Qt::CoarseTimer, this);
    timer2_->setObjectName(u"Timer2"_s);
    timer1_->setEnabled(BoardDesign::kTimer1Enabled);
    timer2_->setEnabled(BoardDesign::kTimer2Enabled);

    // The desktop's key for full screen; the menu keeps only the board's own items.
    auto* fullScreen = new QAction(this);
    fullScreen->setShortcut(Qt::Key_F11);
    addAction(fullScreen);
    windowFit_ = new WindowFit(*this);
    connect(fullScreen, &QAction::triggered, windowFit_, &WindowFit::toggleFullScreen);
}

void Tavola::createControls(const BoardPointers& pointers) {
    std::vector<std::pair<int, QWidget*>> tabOrder;
    std::vector<BoardButton*> buttons;
    for (const ControlDesign& design : BoardDesign::controls()) {
        QWidget* widget = nullptr;
        switch (design.kind) {
        case ControlKind::GraphicalButton:
        case ControlKind::StandardButton: {
            auto* button = new BoardButton(design, surface_);
            buttons.push_back(button);
            widget = button;
            break;
        }
        case ControlKind::TextBox:
            textBox_ = new BoardTextBox(design, surface_);
            widget = textBox_;
            break;
        case ControlKind::Label: {
            auto* boardLabel = new BoardLabel(design, surface_);
            labels_.insert(boardLabel->objectName(), boardLabel);
            widget = boardLabel;
            break;
        }
        }
        if (design.pointer != Pointer::Board)
            widget->setCursor(pointers(design.pointer));
        tabOrder.emplace_back(design.tabIndex, widget);
    }
    arrangeButtons(buttons, pointers);

    std::stable_sort(tabOrder.begin(), tabOrder.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (std::size_t i = 1; i < tabOrder.size(); ++i)
        QWidget::setTabOrder(tabOrder[i - 1].second, tabOrder[i].second);
}

void Tavola::arrangeButtons(const std::vector<BoardButton*>& buttons, const BoardPointers& pointers) {
    buttons_ = buttons;
    for (BoardButton* button : buttons) {
        const std::size_t index = targetIndex(button->objectName());
        if (index < targets_.size()) {
            targets_[index] = button;
            positions_[index] =
                QPointF(button->x() * BoardDesign::kTwipsPerPixel, button->y() * BoardDesign::kTwipsPerPixel);
            connect(button, &QPushButton::clicked, this,
                    [this, index] { emit targetClicked(kAllTargets[index]); });
        }
    }
    cmdExit_ = surface_->findChild<BoardButton*>(u"cmdExit"_s);
    cmdNext_ = surface_->findChild<BoardButton*>(u"cmdNext"_s);

    // Buttons lie above every label; the start button, which lets its clicks through, below every
    // other button; the targets above them all. So what shows at a point takes the click there, and
    // a target over a button shows whole.
    const auto layer = [this](const BoardButton* button) {
        if (button == cmdNext_)
            return 0;
        return std::find(targets_.begin(), targets_.end(), button) == targets_.end() ? 1 : 2;
    };
    std::vector<BoardButton*> stacked = buttons;
    std::stable_sort(stacked.begin(), stacked.end(),
                     [&layer](const BoardButton* a, const BoardButton* b) { return layer(a) < layer(b); });
    for (BoardButton* button : stacked)
        button->raise();

    cmdExit_->setPicture(BoardAssets::exitPicture(), kPictureSide);
    cmdNext_->setPicture(BoardAssets::nextPicture(), kPictureSide);
    connect(cmdExit_, &QPushButton::clicked, this, &Tavola::exitClicked);
    // Disabled, yet its clicks reach the board, which launches the targets.
    cmdNext_->setAttribute(Qt::WA_TransparentForMouseEvents);
    surface_->setPassThroughPointer(cmdNext_, pointers.standardIcon);
}

void Tavola::createMenus() {
    QHash<QString, QMenu*> popups;
    for (const MenuDesign& item : BoardDesign::menus()) {
        const QString name = designText(item.name);
        const QString caption = designText(item.caption);
        const bool hasPopup = std::any_of(BoardDesign::menus().begin(), BoardDesign::menus().end(),
                                          [&](const MenuDesign& other) { return other.parent == item.name; });
        if (hasPopup) {
            QMenu* menu = menuBar()->addMenu(caption);
            menu->setObjectName(name);
            menu->menuAction()->setObjectName(name);
            popups.insert(name, menu);
            continue;
        }
        QAction* action = item.parent.empty() ? menuBar()->addAction(caption)
                                              : popups.value(designText(item.parent))->addAction(caption);
        action->setObjectName(name);
        if (name == u"Next")
            connect(action, &QAction::triggered, this, &Tavola::newGameChosen);
    }
}

BoardLabel& Tavola::label(QStringView name) {
    return *labels_.value(name.toString());
}

void Tavola::drawBackdrop(int firstDigit, int secondDigit) {
    if (!scale_.userDefined()) {
        // Targets keep their place on screen; their positions are read in the new units from now on.
        const BoardScale twips;
        BoardScale user;
        user.setUserDefined();
        std::transform(positions_.begin(), positions_.end(), positions_.begin(), [&](QPointF position) {
            return QPointF(user.fromPixelsX(twips.toPixelsX(float(position.x()))),
                           user.fromPixelsY(twips.toPixelsY(float(position.y()))));
        });
        scale_ = user;
    }
    surface_->setBackdrop({firstDigit, secondDigit});
}

void Tavola::setTargetLeft(TargetId id, float left) {
    positions_[std::size_t(id)].setX(left);
    placeTarget(id);
}

void Tavola::setTargetTop(TargetId id, float top) {
    positions_[std::size_t(id)].setY(top);
    placeTarget(id);
}

void Tavola::placeTarget(TargetId id) {
    const QPointF& position = positions_[std::size_t(id)];
    target(id).move(qRound(scale_.toPixelsX(float(position.x()))),
                    qRound(scale_.toPixelsY(float(position.y()))));
}

void Tavola::fitBoardToWindow() {
    const double zoom = std::max(BoardScale::kSmallestZoom, BoardScale::zoomToFit(frame_->size()));
    if (zoom != scale_.zoom())
        applyZoom(zoom);
    surface_->move((frame_->width() - surface_->width()) / 2, (frame_->height() - surface_->height()) / 2);
}

void Tavola::applyZoom(double zoom) {
    scale_.setZoom(zoom);
    surface_->setFixedSize(scale_.innerSize());
    frame_->setBoardSize(scale_.innerSize());
    for (BoardButton* button : buttons_)
        button->rescale(scale_);
    for (BoardLabel* boardLabel : std::as_const(labels_))
        boardLabel->rescale(scale_);
    textBox_->rescale(scale_);
    for (TargetId id : kAllTargets)
        placeTarget(id);
}

void Tavola::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!event->spontaneous())
        windowFit_->shown();
}

void Tavola::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        emit resized();
}

void Tavola::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    emit resized();
}

void Tavola::closeEvent(QCloseEvent* event) {
    emit closeRequested();
    event->accept();
}

} // namespace brivadoro
