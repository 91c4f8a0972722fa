#include "printed_page.h"

#include <algorithm>
#include <utility>

#include <QTextOption>

using namespace Qt::StringLiterals;

namespace brivadoro {

namespace {

constexpr QStringView kFontFamily = u"Liberation Sans";

} // namespace

QFont printedFont(double points, bool bold) {
    QFont font(kFontFamily.toString());
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

std::shared_ptr<QTextLayout> wrapped(const QString& text, const QFont& font, double width,
                                     const QPaintDevice* device) {
    auto layout = std::make_shared<QTextLayout>(text, font, device);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout->setTextOption(option);
    layout->beginLayout();
    double height = 0;
    for (QTextLine line = layout->createLine(); line.isValid(); line = layout->createLine()) {
        line.setLineWidth(width);
        line.setPosition({0, height});
        height += line.height();
    }
    layout->endLayout();
    return layout;
}

double heightOf(const QTextLayout& layout) {
    return layout.boundingRect().height();
}

void PageFlow::newPage() {
    ++page_;
    y_ = content_.top();
}

void PageFlow::add(double height, Draw draw) {
    if (!fits(height))
        newPage();
    blocks_.push_back({page_, QRectF(content_.left(), y_, content_.width(), height), std::move(draw)});
    y_ += height;
}

void PageFlow::skip(double height) {
    if (!atTop())
        y_ = std::min(y_ + height, content_.bottom());
}

void PageFlow::paint(QPainter& painter, int page) const {
    for (const Block& block : blocks_) {
        if (block.page == page)
            block.draw(painter, block.area);
    }
}

} // namespace brivadoro
