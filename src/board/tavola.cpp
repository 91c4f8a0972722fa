#include "tavola.h"

#include <algorithm>
#include <utility>
#include <vector>

#include <QCloseEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>

#include "backdrop.h"
#include "board_assets.h"

using namespace Qt::StringLiterals;

namespace brivadoro {

namespace {

// The board's colour where no backdrop has been painted yet.
constexpr Colour kPlatformFace = 0x00F0F0F0;

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

BoardSurface::BoardSurface(QCursor pointer, QWidget* parent)
    : QWidget(parent), backdrop_(BoardScale::kInnerWidth, BoardScale::kInnerHeight, QImage::Format_RGB32),
      boardCursor_(std::move(pointer)) {
    setFixedSize(backdrop_.size());
    backdrop_.fill(toQColor(kPlatformFace));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(boardCursor_);
}

void BoardSurface::setPassThroughPointer(QWidget* control, const QCursor& cursor) {
    passThrough_ = control;
    passThroughCursor_ = cursor;
    setMouseTracking(true);
}

void BoardSurface::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.drawImage(event->rect(), backdrop_, event->rect());
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

Tavola::Tavola(QWidget* parent) : QMainWindow(parent) {
    setObjectName(u"Tavola"_s);
    setWindowTitle(designText(BoardDesign::kCaption));
    setWindowIcon(BoardAssets::windowIcon());
    setWindowFlag(Qt::WindowMaximizeButtonHint, false);
    const BoardPointers pointers;
    surface_ = new BoardSurface(pointers.board, this);
    surface_->setObjectName(u"inner"_s);
    setCentralWidget(surface_);
    connect(surface_, &BoardSurface::clicked, this, &Tavola::boardClicked);

    createControls(pointers);
    createMenus();

    timer1_ = new BoardTimer(BoardDesign::kTimer1IntervalMs, Qt::PreciseTimer, this);
    timer1_->setObjectName(u"Timer1"_s);
    timer2_ = new BoardTimer(BoardDesign::kTimer2IntervalMs, Qt::CoarseTimer, this);
    timer2_->setObjectName(u"Timer2"_s);
    timer1_->setEnabled(BoardDesign::kTimer1Enabled);
    timer2_->setEnabled(BoardDesign::kTimer2Enabled);

    setFixedSize(sizeHint());
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
        case ControlKind::TextBox: {
            auto* box = new QLineEdit(surface_);
            box->setObjectName(designText(design.name));
            box->setGeometry(
                design.left / BoardDesign::kTwipsPerPixel, design.top / BoardDesign::kTwipsPerPixel,
                design.width / BoardDesign::kTwipsPerPixel, design.height / BoardDesign::kTwipsPerPixel);
            box->setVisible(design.visible);
            box->setEnabled(design.enabled);
            box->setToolTip(designText(design.tooltip));
            widget = box;
            break;
        }
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

    cmdExit_->setIcon(BoardAssets::exitPicture());
    cmdNext_->setIcon(BoardAssets::nextPicture());
    cmdExit_->setIconSize({24, 24});
    cmdNext_->setIconSize({24, 24});
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
    paintBackdrop(surface_->backdrop(), firstDigit, secondDigit);
    surface_->update();
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
