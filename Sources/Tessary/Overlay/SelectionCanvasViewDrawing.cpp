// Painting of SelectionCanvasView: labels, handles, readout, magnifier and colour panel.
#include "Overlay/SelectionCanvasView.h"

#include "Foundation/CoordinateSpace.h"
#include "Foundation/Fonts.h"
#include "Foundation/L10n.h"
#include "Overlay/AnnotationRenderer.h"
#include "Overlay/OverlayBackdropView.h"
#include "Overlay/OverlayGuideView.h"
#include "Overlay/PerfProbe.h"
#include "Overlay/RenderTransform.h"
#include "Overlay/Theme.h"

#include <QElapsedTimer>
#include <QFontMetricsF>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

using tessary::Point;
using tessary::Rect;
namespace Layout = tessary::OverlayLabelLayout;

namespace {

QSizeF measure(const QString& text, const QFont& font) {
    const QFontMetricsF metrics(font);
    return {metrics.horizontalAdvance(text), metrics.height()};
}

QFont panelLabelFont() {
    static const QFont font = Fonts::system(12, Fonts::Weight::regular);
    return font;
}
QFont panelValueFont() {
    static const QFont font = Fonts::monospaced(12, Fonts::Weight::medium);
    return font;
}
QFont panelHintFont() {
    static const QFont font = Fonts::system(11, Fonts::Weight::regular);
    return font;
}

QString pixelText(tessary::PixelPoint pixel) {
    return QStringLiteral("%1, %2").arg(pixel.x).arg(pixel.y);
}

} // namespace

// Text whose line box has its lower-left corner at `origin` (canvas points).
static void drawTextAt(QPainter& painter, const QString& text, const QFont& font, Point origin,
                       double canvasHeight, double maxWidth = -1) {
    const QSizeF size = measure(text, font);
    const double width = maxWidth >= 0 ? maxWidth : size.width();
    const QRectF box =
        CoordinateSpace::toWidget(Rect{origin.x, origin.y, width + 1, size.height()}, canvasHeight);
    painter.setFont(font);
    const QString shown =
        maxWidth >= 0 ? QFontMetricsF(font).elidedText(text, Qt::ElideRight, maxWidth) : text;
    painter.drawText(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, shown);
}

SelectionCanvasView::SizeLabelLayout SelectionCanvasView::sizeLabelLayout(const Rect& rect) const {
    SizeLabelLayout layout;
    layout.text = QString::fromStdString(tessary::SelectionGeometry::sizeLabelText(rect, captured_.scale));
    layout.textSize = measure(layout.text, Theme::sizeLabelFont());
    layout.label = Layout::sizeLabel(rect, {layout.textSize.width(), layout.textSize.height()}, bounds());
    return layout;
}

SelectionCanvasView::WindowNameLayout SelectionCanvasView::windowNameLayout(const Rect& sizeLabelBackground,
                                                                            const QString& name) const {
    WindowNameLayout layout;
    layout.text = name;
    const QSizeF size = measure(name, Theme::windowNameFont());
    layout.label = Layout::windowNameLabel(sizeLabelBackground, {size.width(), size.height()}, bounds());
    return layout;
}

const SelectionCanvasView::ReadoutMetrics& SelectionCanvasView::readoutMetrics() {
    if (!readoutMetrics_) {
        ReadoutMetrics m;
        m.coordinateLabel = L10n::text(QStringLiteral("colorPicker.coordinate"));
        m.colorLabel = L10n::text(QStringLiteral("colorPicker.colorValue"));
        m.hint = L10n::text(QStringLiteral("selectionGuide.copyHint"));
        const QFontMetricsF label(Theme::selectionGuideLabelFont());
        const QFontMetricsF value(Theme::selectionGuideValueFont());
        const QFontMetricsF hint(Theme::selectionGuideHintFont());
        m.layout.labelWidth =
            std::max(label.horizontalAdvance(m.coordinateLabel), label.horizontalAdvance(m.colorLabel));
        const double valueWidth = std::max(value.horizontalAdvance(QStringLiteral("9999, 9999")),
                                           value.horizontalAdvance(QStringLiteral("#FFFFFF")));
        m.layout.width = std::max(hint.horizontalAdvance(m.hint), valueWidth + m.layout.labelWidth + 16);
        m.layout.textHeight = std::max({label.height() + label.leading(), value.height() + value.leading(),
                                        hint.height() + hint.leading()});
        m.layout.height = 66;
        readoutMetrics_ = m;
    }
    return *readoutMetrics_;
}

const SelectionCanvasView::PanelTexts& SelectionCanvasView::panelTexts() {
    if (!panelTexts_) {
        panelTexts_ = PanelTexts{L10n::text(QStringLiteral("colorPicker.coordinate")),
                                 L10n::text(QStringLiteral("colorPicker.colorValue")),
                                 L10n::text(QStringLiteral("colorPicker.copied")),
                                 L10n::text(QStringLiteral("colorPicker.copyHint")),
                                 L10n::text(QStringLiteral("colorPicker.copyShortcutHint"))};
    }
    return *panelTexts_;
}

Layout::Readout SelectionCanvasView::readoutLayout(Point pointer) {
    return Layout::readout(pointer, bounds(), readoutMetrics().layout);
}

const QPixmap& SelectionCanvasView::legacyBackdrop() {
    if (legacyBackdrop_.isNull()) {
        legacyBackdrop_ = QPixmap::fromImage(captured_.image);
        legacyBackdrop_.setDevicePixelRatio(captured_.scale > 0 ? captured_.scale : 1);
    }
    return legacyBackdrop_;
}

void SelectionCanvasView::paintEvent(QPaintEvent* event) {
    QElapsedTimer timer;
    timer.start();
    const QRect dirty = event->rect();
    QPainter painter(this);
    std::optional<double> legacySeconds;
    if (perf_.legacyFullRedraw) {
        QElapsedTimer legacyTimer;
        legacyTimer.start();
        const std::optional<Rect> cutout = selection_ ? selection_ : hoveredWindowRect_;
        const QRectF widgetCutout =
            cutout && !cutout->isEmpty() ? toWidget(cutout->standardized()) : QRectF();
        for (const QRect& rect : event->region()) {
            OverlayBackdropView::paintFrozen(painter, legacyBackdrop(), widgetCutout, rect, this->rect());
        }
        legacySeconds = double(legacyTimer.nsecsElapsed()) / 1e9;
    }
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);

    const bool pickerShown = isColorPickerActive_ || isPreSelectionLoupeActive_;
    if (!selection_) {
        if (!pickerShown && hoveredWindowRect_ && hoveredWindow_) {
            drawSizeLabel(painter, *hoveredWindowRect_);
            drawWindowNameLabel(painter, *hoveredWindowRect_);
        }
        if (selectionGuidePoint_ && selectionGuidePixel_ && selectionGuideColor_) {
            drawSelectionGuideInfo(painter, event->region(), *selectionGuidePoint_, *selectionGuidePixel_,
                                   *selectionGuideColor_);
        }
    } else {
        drawSelection(painter, *selection_);
    }
    if (pickerShown && colorPickerPoint_ && colorPickerPixel_ && colorPickerColor_) {
        const auto layout = colorPickerLayout(*colorPickerPoint_);
        drawColorPickerMagnifier(painter, event->region(), layout.magnifier, *colorPickerPixel_);
        drawColorPickerPanel(painter, event->region(), layout.panel, *colorPickerPixel_, *colorPickerColor_);
    }
    painter.end();

    if (PerfProbe::isRecording()) {
        // On the layered path the frame began when the backdrop started painting the same region.
        const qint64 nanos = frameStarted_ ? frameTimer_.nsecsElapsed() : timer.nsecsElapsed();
        PerfProbe::record(double(nanos) / 1e9, double(dirty.width()) * dirty.height(), legacySeconds);
    }
    frameStarted_ = false;
}

void SelectionCanvasView::drawSelection(QPainter& painter, const Rect& selection) {
    drawAnnotations(painter, selection);
    const QRectF s = toWidget(selection.standardized());
    painter.setPen(QPen(Theme::selectionBorder(), 1.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(s);
    painter.setPen(QPen(Qt::white, 1));
    painter.setBrush(Theme::handleFill());
    for (tessary::SelectionHandle handle : tessary::allSelectionHandles) {
        painter.drawRect(toWidget(tessary::SelectionGeometry::handleRect(selection, handle)));
    }
    drawSizeLabel(painter, selection);
}

void SelectionCanvasView::drawAnnotations(QPainter& painter, const Rect& selection) {
    if (store_.isEmpty() && !draft_) {
        return;
    }
    painter.save();
    painter.setClipRect(toWidget(selection.standardized()), Qt::IntersectClip);
    painter.setTransform(RenderTransform::modelToTarget(bounds(), 1, height()), true);
    const AnnotationRenderContext context = renderContext();
    for (const tessary::Annotation& annotation : store_.items()) {
        AnnotationRenderer::draw(painter, annotation, context);
    }
    if (draft_) {
        AnnotationRenderer::draw(painter, *draft_, context);
    }
    painter.restore();
}

void SelectionCanvasView::drawSizeLabel(QPainter& painter, const Rect& rect) {
    const SizeLabelLayout layout = sizeLabelLayout(rect);
    QPainterPath background;
    background.addRoundedRect(toWidget(layout.label.background), 5, 5);
    painter.fillPath(background, Theme::floatingLabelBackground());
    painter.setPen(Theme::sizeLabelColor());
    drawTextAt(painter, layout.text, Theme::sizeLabelFont(), layout.label.textOrigin, height());
}

void SelectionCanvasView::drawWindowNameLabel(QPainter& painter, const Rect& rect) {
    if (!hoveredWindow_) {
        return;
    }
    const SizeLabelLayout size = sizeLabelLayout(rect);
    const WindowNameLayout layout =
        windowNameLayout(size.label.background, QString::fromStdString(hoveredWindow_->appName));
    QPainterPath background;
    background.addRoundedRect(toWidget(layout.label.background), 5, 5);
    painter.fillPath(background, Theme::windowNameBackground());
    painter.setPen(Theme::windowNameColor());
    const Rect& text = layout.label.textRect;
    drawTextAt(painter, layout.text, Theme::windowNameFont(), {text.x, text.y}, height(), text.width);
}

const QImage& SelectionCanvasView::plate(QImage& cache, const QSizeF& area, double radius, const QColor& fill,
                                         const std::optional<QColor>& border) {
    const double scale = devicePixelRatioF();
    if (cache.size() != OverlaySprite::pixelSize(area, scale) || cache.devicePixelRatio() != scale) {
        cache = OverlaySprite::roundedPlate(area, scale, radius, fill, border);
    }
    return cache;
}

void SelectionCanvasView::drawSelectionGuideInfo(QPainter& painter, const QRegion& region, Point point,
                                                 tessary::PixelPoint pixel,
                                                 const tessary::PixelColor& color) {
    const ReadoutMetrics& metrics = readoutMetrics();
    const Layout::Readout layout = readoutLayout(point);
    const QRectF area = toWidget(layout.background);
    readoutSprite_.begin(
        area, devicePixelRatioF(),
        plate(readoutPlate_, area.size(), 5, Theme::floatingLabelBackground(), std::nullopt));
    QPainter sprite;
    readoutSprite_.preparePainter(sprite);
    const double h = height();
    sprite.setPen(Theme::selectionGuideTextColor());
    drawTextAt(sprite, metrics.coordinateLabel, Theme::selectionGuideLabelFont(),
               {layout.labelX, layout.row1Y}, h);
    drawTextAt(sprite, pixelText(pixel), Theme::selectionGuideValueFont(), {layout.valueX, layout.row1Y}, h);
    drawTextAt(sprite, metrics.colorLabel, Theme::selectionGuideLabelFont(), {layout.labelX, layout.row2Y},
               h);
    drawTextAt(sprite, QString::fromStdString(color.hexString()), Theme::selectionGuideValueFont(),
               {layout.valueX, layout.row2Y}, h);
    sprite.setPen(Theme::selectionGuideHintColor());
    drawTextAt(sprite, metrics.hint, Theme::selectionGuideHintFont(), {layout.labelX, layout.hintY}, h);
    sprite.end();
    readoutSprite_.paint(painter, region);
}

void SelectionCanvasView::drawColorPickerMagnifier(QPainter& painter, const QRegion& region, const Rect& rect,
                                                   tessary::PixelPoint pixel) {
    const tessary::PixelRect sample =
        Layout::magnifierSample(pixel, captured_.image.width(), captured_.image.height());
    if (sample.isEmpty()) {
        return;
    }
    magnifier_.compose(magnifierSprite_, toWidget(rect), devicePixelRatioF(), captured_.image, sample);
    magnifierSprite_.paint(painter, region);
}

void SelectionCanvasView::drawColorPickerPanel(QPainter& painter, const QRegion& region, const Rect& rect,
                                               tessary::PixelPoint pixel, const tessary::PixelColor& color) {
    // One point of room around the panel for the outer half of its border.
    const QRectF area = toWidget(rect).adjusted(-1, -1, 1, 1);
    panelSprite_.begin(area, devicePixelRatioF(),
                       plate(panelPlate_, area.size(), 9, Theme::colorPickerPanelBackground(),
                             Theme::colorPickerPanelBorder()));
    QPainter sprite;
    panelSprite_.preparePainter(sprite);
    const double h = height();
    const PanelTexts& texts = panelTexts();
    sprite.setPen(Theme::colorPickerLabelColor());
    drawTextAt(sprite, texts.coordinate, panelLabelFont(), {rect.minX() + 11, rect.maxY() - 25}, h);
    drawTextAt(sprite, texts.colorValue, panelLabelFont(), {rect.minX() + 11, rect.maxY() - 45}, h);
    sprite.setPen(Theme::colorPickerValueColor());
    drawTextAt(sprite, pixelText(pixel), panelValueFont(), {rect.minX() + 56, rect.maxY() - 25}, h);
    drawTextAt(sprite, QString::fromStdString(color.hexString()), panelValueFont(),
               {rect.minX() + 56, rect.maxY() - 45}, h);

    const QString& hint = colorPickerJustCopied_ ? texts.copied
                          : isColorPickerActive_ ? texts.copyHint
                                                 : texts.copyShortcutHint;
    sprite.setPen(Theme::colorPickerHintColor());
    drawTextAt(sprite, hint, panelHintFont(), {rect.minX() + 11, rect.minY() + 10}, h, rect.width - 22);
    sprite.end();
    panelSprite_.paint(painter, region);
}
