#pragma once

#include <functional>
#include <memory>
#include <vector>

#include <QColor>
#include <QFont>
#include <QRectF>
#include <QString>
#include <QTextLayout>

class QPainter;
class QPaintDevice;

namespace brivadoro {

// The printed report's lengths are the PDF writer's dots, each given in points or millimetres and
// turned into dots here, so that no pen is left at the one-dot hairline that a width of 0 gives.
inline constexpr int kDotsPerInch = 1200;
constexpr double pt(double points) {
    return points * kDotsPerInch / 72;
}
constexpr double mm(double millimetres) {
    return millimetres * kDotsPerInch / 25.4;
}

// The report's type sizes, in points.
inline constexpr double kTextSize = 9.5;
inline constexpr double kTableSize = 8.5;
inline constexpr double kSmallSize = 7.5;

inline constexpr double kRulePen = mm(0.2);
inline constexpr QRgb kInk = 0xff202020;
inline constexpr QRgb kMuted = 0xff5f5f5f;
inline constexpr QRgb kRule = 0xffa8a8a8;

inline QColor colour(QRgb rgb) {
    return QColor::fromRgb(rgb);
}

// Liberation Sans at that size, which the PDF embeds.
QFont printedFont(double points, bool bold = false);

// Text laid out in lines of at most the width, which break between words, or anywhere in a word
// longer than a line.
std::shared_ptr<QTextLayout> wrapped(const QString& text, const QFont& font, double width,
                                     const QPaintDevice* device);
double heightOf(const QTextLayout& layout);

// Where blocks go, top to bottom, page after page: a block that would cross the bottom margin starts
// the next page. Blocks are drawn once every page is known, so that each page can say how many there
// are.
class PageFlow {
public:
    using Draw = std::function<void(QPainter& painter, const QRectF& area)>;

    // The area between the margins, in dots.
    explicit PageFlow(const QRectF& content) : content_(content), y_(content.top()) {}

    [[nodiscard]] double width() const { return content_.width(); }
    [[nodiscard]] int pages() const { return page_ + 1; }
    [[nodiscard]] bool atTop() const { return y_ == content_.top(); }
    // Whether a block of that height fits above the bottom margin; on an empty page, any block does.
    [[nodiscard]] bool fits(double height) const { return y_ + height <= content_.bottom() || atTop(); }

    void newPage();
    // A block across the page, on the next page when it would cross the bottom margin.
    void add(double height, Draw draw);
    // Blank space, none at the top of a page.
    void skip(double height);
    void paint(QPainter& painter, int page) const;

private:
    struct Block {
        int page;
        QRectF area;
        Draw draw;
    };

    QRectF content_;
    double y_;
    int page_ = 0;
    std::vector<Block> blocks_;
};

} // namespace brivadoro
