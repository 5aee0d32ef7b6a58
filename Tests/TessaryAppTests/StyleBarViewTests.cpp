#include "Overlay/Bars/ColorCell.h"
#include "Overlay/Bars/StickerCell.h"
#include "Overlay/Bars/StyleBarView.h"
#include "Overlay/Bars/WeightCell.h"

#include <QApplication>
#include <QMouseEvent>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Picks {
    std::vector<tessary::AnnotationColor> colors;
    std::vector<tessary::AnnotationWeight> weights;
    std::vector<std::string> stickers;
    int hostPresses = 0;
};

class Host : public QWidget {
public:
    explicit Host(Picks& picks) : picks_(picks) { resize(900, 200); }

protected:
    void mousePressEvent(QMouseEvent* event) override {
        ++picks_.hostPresses;
        event->accept();
    }

private:
    Picks& picks_;
};

struct Fixture {
    Picks picks;
    Host host{picks};
    StyleBarView* bar =
        new StyleBarView([this](tessary::AnnotationColor c) { picks.colors.push_back(c); },
                         [this](tessary::AnnotationWeight w) { picks.weights.push_back(w); },
                         [this](const std::string& s) { picks.stickers.push_back(s); }, &host);
    Fixture() {
        bar->move(20, 30);
        host.show();
    }

    // Press and release at a point of the bar, delivered to the widget under it.
    void click(QPoint inBar) {
        const QPoint at = bar->mapTo(&host, inBar);
        QWidget* target = host.childAt(at);
        if (!target) {
            target = &host;
        }
        const QPointF local = target->mapFrom(&host, QPointF(at));
        QMouseEvent press(QEvent::MouseButtonPress, local, QPointF(at), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QApplication::sendEvent(target, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, local, QPointF(at), Qt::LeftButton, Qt::NoButton,
                            Qt::NoModifier);
        QApplication::sendEvent(target, &release);
    }

    template <typename Cell> std::vector<int> selectedIndices(const std::vector<Cell*>& cells) const {
        std::vector<int> indices;
        for (std::size_t i = 0; i < cells.size(); ++i) {
            if (cells[i]->isSelected()) {
                indices.push_back(int(i));
            }
        }
        return indices;
    }
};

} // namespace

TEST(StyleBarViewTest, StickerToolWidensTheBarAndShowsTheStickers) {
    Fixture f;
    EXPECT_EQ(f.bar->size(), QSize(349, 38));
    EXPECT_FALSE(f.bar->stickerSeparator());
    for (const ColorCell* cell : f.bar->colorCells()) {
        const std::string_view key = cell->color().localizationKey();
        EXPECT_NE(cell->toolTip(), QString::fromLatin1(key.data(), qsizetype(key.size())));
    }
    for (const StickerCell* cell : f.bar->stickerCells()) {
        EXPECT_FALSE(cell->isVisible());
    }
    f.bar->setShowsStickers(true);
    EXPECT_EQ(f.bar->size(), QSize(684, 38));
    ASSERT_TRUE(f.bar->stickerSeparator());
    EXPECT_EQ(*f.bar->stickerSeparator(), QRectF(346, 9, 1, 20));
    ASSERT_EQ(f.bar->stickerCells().size(), 10u);
    for (const StickerCell* cell : f.bar->stickerCells()) {
        EXPECT_TRUE(cell->isVisible());
    }
    EXPECT_EQ(f.bar->stickerCells()[9]->geometry(), QRect(642, 8, 32, 22));
    f.bar->setShowsStickers(false);
    EXPECT_EQ(f.bar->size(), QSize(349, 38));
    EXPECT_FALSE(f.bar->stickerCells()[0]->isVisible());
}

TEST(StyleBarViewTest, PicksUpdateTheBarsOwnStyleAndMarks) {
    Fixture f;
    f.bar->setShowsStickers(true);
    // Default style: red, medium; default sticker: the first.
    EXPECT_EQ(f.selectedIndices(f.bar->colorCells()), std::vector<int>{0});
    EXPECT_EQ(f.selectedIndices(f.bar->weightCells()), std::vector<int>{1});
    EXPECT_EQ(f.selectedIndices(f.bar->stickerCells()), std::vector<int>{0});

    const struct {
        const char* name;
        QPoint at;
        std::vector<int> colors, weights, stickers;
        int hostPresses;
    } steps[] = {
        {"blue", {10 + 4 * 29 + 11, 19}, {4}, {1}, {0}, 0},
        {"heavy", {309 + 15, 19}, {4}, {2}, {0}, 0},
        {"star sticker", {354 + 4 * 32 + 16, 19}, {4}, {2}, {4}, 0},
        {"gap between colours", {10 + 22 + 3, 19}, {4}, {2}, {4}, 0},
        {"strip under the cells", {100, 34}, {4}, {2}, {4}, 0},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.name);
        f.click(s.at);
        EXPECT_EQ(f.selectedIndices(f.bar->colorCells()), s.colors);
        EXPECT_EQ(f.selectedIndices(f.bar->weightCells()), s.weights);
        EXPECT_EQ(f.selectedIndices(f.bar->stickerCells()), s.stickers);
        EXPECT_EQ(f.picks.hostPresses, s.hostPresses);
    }
    EXPECT_EQ(f.picks.colors, std::vector<tessary::AnnotationColor>{tessary::AnnotationColors::blue});
    EXPECT_EQ(f.picks.weights, std::vector<tessary::AnnotationWeight>{tessary::AnnotationWeight::heavy});
    EXPECT_EQ(f.picks.stickers, std::vector<std::string>{StyleBarView::stickers()[4]});
    EXPECT_EQ(f.bar->style().color, tessary::AnnotationColors::blue);
    EXPECT_EQ(f.bar->style().weight, tessary::AnnotationWeight::heavy);
    EXPECT_EQ(f.bar->sticker(), StyleBarView::stickers()[4]);
}

TEST(StyleBarViewTest, SelectedColourGetsACheckThatContrasts) {
    // A check in black on light colours, in white on the others, at the cell's centre-bottom.
    const struct {
        tessary::AnnotationColor color;
        bool darkCheck;
    } cases[] = {{tessary::AnnotationColors::white, true},
                 {tessary::AnnotationColors::yellow, false},
                 {tessary::AnnotationColors::black, false}};
    for (const auto& c : cases) {
        ColorCell cell(c.color, {}, nullptr);
        cell.setSelected(true);
        QImage image(cell.size(), QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        cell.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        // The check's lowest point: (midX, maxY) of the box inset 30 % x 32 %, in y-down pixels.
        const QColor at = image.pixelColor(11, 14);
        if (c.darkCheck) {
            EXPECT_LT(at.lightness(), 60);
        } else {
            EXPECT_GT(at.lightness(), 200);
        }
    }
}
