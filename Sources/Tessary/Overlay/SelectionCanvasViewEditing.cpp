// Tools, drafts, the text editor and the floating bars of SelectionCanvasView.
#include "Overlay/SelectionCanvasView.h"

#include "Foundation/CoordinateSpace.h"
#include "Foundation/Log.h"
#include "Overlay/AnnotationRenderer.h"
#include "Overlay/AnnotationTextEditor.h"
#include "Overlay/ClickTrace.h"
#include "Overlay/NoticeBarView.h"
#include "Overlay/QRCodeDetector.h"
#include "Overlay/StyleBarView.h"
#include "Overlay/ToolbarView.h"
#include "TessaryCore/BarStackLayout.h"

#include <QWindow>

#include <algorithm>
#include <cmath>

using tessary::Point;
using tessary::Rect;
namespace SG = tessary::SelectionGeometry;

namespace {

// Extra room around drawn ink for antialiasing.
constexpr double antialiasMargin = 2;

Rect boundsOf(const std::vector<Point>& points) {
    if (points.empty()) {
        return {};
    }
    double x0 = points.front().x, x1 = x0, y0 = points.front().y, y1 = y0;
    for (const Point& p : points) {
        x0 = std::min(x0, p.x);
        x1 = std::max(x1, p.x);
        y0 = std::min(y0, p.y);
        y1 = std::max(y1, p.y);
    }
    return {x0, y0, x1 - x0, y1 - y0};
}

// A rectangle around `r` grown by `margin`; a point or a line still gets an area.
Rect grown(const Rect& r, double margin) {
    return SG::insetBy(r, -margin, -margin);
}

const std::vector<Point>* strokePoints(const std::optional<tessary::Annotation>& annotation) {
    if (!annotation) {
        return nullptr;
    }
    if (const auto* pen = std::get_if<tessary::PenShape>(&annotation->shape)) {
        return &pen->points;
    }
    if (const auto* mosaic = std::get_if<tessary::MosaicShape>(&annotation->shape)) {
        return &mosaic->points;
    }
    return nullptr;
}

} // namespace

// MARK: - Tools

void SelectionCanvasView::handleToolbarSelection(ToolKind kind) {
    if (ToolKinds::isSessionAction(kind)) {
        if (SelectionCanvasDelegate* d = delegate()) {
            d->selectionCanvasDidInvoke(this, kind);
        }
        return;
    }
    if (kind == ToolKind::colorPicker) {
        const bool turningOn = !isColorPickerActive_;
        if (turningOn) {
            cancelTextEditing();
        }
        toggleColorPicker();
        syncStyleBar();
        updateBarState();
        return;
    }
    if (kind == ToolKind::undo) {
        undoLastAnnotation();
        return;
    }
    chooseTool(kind);
}

void SelectionCanvasView::chooseTool(ToolKind tool) {
    if (isColorPickerActive_) {
        isColorPickerActive_ = false;
        forgetColorPicker();
    }
    if (activeTool_ == tool) {
        activeTool_.reset();
    } else {
        activeTool_ = tool;
    }
    cancelTextEditing();
    syncStyleBar();
    updateBarState();
    update();
}

void SelectionCanvasView::undoLastAnnotation() {
    if (store_.undo()) {
        update();
    }
    updateBarState();
}

// MARK: - Drafts

void SelectionCanvasView::beginAnnotation(ToolKind tool, Point p) {
    switch (tool) {
    case ToolKind::sticker: {
        tessary::Annotation sticker(tessary::StickerShape{p, sticker_}, style_);
        store_.append(sticker);
        updateBarState();
        invalidate(draftArea(sticker));
        return;
    }
    case ToolKind::text:
        beginTextEditing(p);
        return;
    case ToolKind::rectangle:
    case ToolKind::ellipse:
    case ToolKind::arrow:
    case ToolKind::pen:
    case ToolKind::mosaic:
        dragMode_ = DragMode{};
        dragMode_.kind = DragMode::Kind::annotating;
        dragMode_.anchor = p;
        updateDraft(p, p);
        hideBars();
        if (draft_) {
            invalidate(draftArea(*draft_));
        }
        return;
    default:
        return;
    }
}

void SelectionCanvasView::updateDraft(Point a, Point c) {
    if (!activeTool_) {
        return;
    }
    const std::optional<tessary::Annotation> before = draft_;
    switch (*activeTool_) {
    case ToolKind::rectangle:
        draft_ = tessary::Annotation(tessary::RectangleShape{SG::spanned(a, c)}, style_);
        break;
    case ToolKind::ellipse:
        draft_ = tessary::Annotation(tessary::EllipseShape{SG::spanned(a, c)}, style_);
        break;
    case ToolKind::arrow:
        draft_ = tessary::Annotation(tessary::ArrowShape{a, c}, style_);
        break;
    case ToolKind::pen:
    case ToolKind::mosaic: {
        std::vector<Point> points;
        if (const std::vector<Point>* existing = strokePoints(draft_)) {
            points = *existing;
        }
        if (!points.empty() && std::hypot(c.x - points.back().x, c.y - points.back().y) < 1.5) {
            return;
        }
        points.push_back(c);
        if (*activeTool_ == ToolKind::pen) {
            draft_ = tessary::Annotation(tessary::PenShape{std::move(points)}, style_);
        } else {
            draft_ = tessary::Annotation(tessary::MosaicShape{std::move(points)}, style_);
        }
        break;
    }
    default:
        return;
    }
    // Only what the draft covered and covers now is repainted; a growing stroke adds one segment.
    const std::vector<Point>* previous = strokePoints(before);
    const std::vector<Point>* current = strokePoints(draft_);
    if (previous && current && !previous->empty() && current->size() == previous->size() + 1) {
        tessary::Annotation step = *draft_;
        const std::vector<Point> segment{previous->back(), current->back()};
        if (auto* pen = std::get_if<tessary::PenShape>(&step.shape)) {
            pen->points = segment;
        } else if (auto* mosaic = std::get_if<tessary::MosaicShape>(&step.shape)) {
            mosaic->points = segment;
        }
        invalidate(draftArea(step));
    } else {
        invalidate(SG::united(before ? draftArea(*before) : Rect{}, draftArea(*draft_)));
    }
}

Rect SelectionCanvasView::draftArea(const tessary::Annotation& annotation) const {
    const double line = annotation.style.lineWidth();
    const Rect whole = selection_ ? *selection_ : bounds();
    return std::visit(
        [&](const auto& shape) -> Rect {
            using Shape = std::decay_t<decltype(shape)>;
            if constexpr (std::is_same_v<Shape, tessary::RectangleShape> ||
                          std::is_same_v<Shape, tessary::EllipseShape>) {
                return grown(shape.rect.standardized(), line / 2 + antialiasMargin);
            } else if constexpr (std::is_same_v<Shape, tessary::ArrowShape>) {
                // The head is 2.3 line widths to either side of the shaft.
                return grown(boundsOf({shape.from, shape.to}), 2.5 * line + antialiasMargin);
            } else if constexpr (std::is_same_v<Shape, tessary::PenShape>) {
                return grown(boundsOf(shape.points), line / 2 + antialiasMargin);
            } else if constexpr (std::is_same_v<Shape, tessary::MosaicShape>) {
                const double brush = AnnotationRenderer::mosaicBrushWidth(annotation.style.weight);
                return grown(boundsOf(shape.points), brush / 2 + antialiasMargin);
            } else {
                // Text and stickers depend on font metrics: take the whole selection.
                return whole;
            }
        },
        annotation.shape);
}

void SelectionCanvasView::finishDraft() {
    const std::optional<tessary::Annotation> finished = std::move(draft_);
    draft_.reset();
    if (finished) {
        store_.append(*finished);
        // A stored draft looks the same; one the store dropped must disappear.
        invalidate(draftArea(*finished));
    }
    updateBarState();
    showBars();
}

// MARK: - Text editor

void SelectionCanvasView::beginTextEditing(Point p) {
    if (!selection_) {
        return;
    }
    cancelTextEditing();
    const Rect s = selection_->standardized();
    const double minHeight = AnnotationTextEditor::minimumHeight(style_.weight);
    const double width =
        std::min(std::clamp(s.maxX() - p.x, 120.0, AnnotationTextEditor::maximumWidth), s.width);
    const Point topLeft{std::min(p.x, s.maxX() - width),
                        std::max(p.y, s.minY() + std::min(s.height, minHeight))};
    // The editor never reaches below the selection: what is typed there could not be shown.
    auto* editor = new AnnotationTextEditor(style_, topLeft, width, topLeft.y - s.minY(), this);
    QPointer<SelectionCanvasView> self(this);
    editor->onCommit = [self](const QString&) {
        if (self) {
            self->commitTextEditing();
        }
    };
    editor->onCancel = [self] {
        if (self) {
            self->cancelTextEditing();
        }
    };
    textEditor_ = editor;
    hideBars();
    editor->show();
    editor->raise();
    if (QWidget* top = window()) {
        top->activateWindow();
    }
    editor->setFocus(Qt::OtherFocusReason);
}

void SelectionCanvasView::closeTextEditor() {
    AnnotationTextEditor* editor = textEditor_;
    textEditor_ = nullptr;
    if (!editor) {
        return;
    }
    editor->onCommit = nullptr;
    editor->onCancel = nullptr;
    editor->hide();
    // The editor may be the caller (its key handler): it goes away on the next turn.
    editor->deleteLater();
    setFocus(Qt::OtherFocusReason);
}

void SelectionCanvasView::commitTextEditing() {
    if (!textEditor_) {
        return;
    }
    const QString text = textEditor_->toPlainText();
    const Rect frame = textEditor_->frame();
    const tessary::AnnotationStyle style = textEditor_->style();
    closeTextEditor();
    if (!text.trimmed().isEmpty()) {
        tessary::Annotation annotation(tessary::TextShape{{frame.minX() + AnnotationTextEditor::inset,
                                                           frame.maxY() - AnnotationTextEditor::inset},
                                                          text.toStdString()},
                                       style);
        store_.append(std::move(annotation));
        invalidate(selection_ ? *selection_ : frame);
    }
    updateBarState();
    showBars();
}

void SelectionCanvasView::cancelTextEditing() {
    if (!textEditor_) {
        return;
    }
    closeTextEditor();
    showBars();
}

// MARK: - Bars

void SelectionCanvasView::ensureBars() {
    if (toolbar_) {
        return;
    }
    QPointer<SelectionCanvasView> self(this);
    toolbar_ = new ToolbarView(
        [self](ToolKind kind) {
            if (self) {
                self->handleToolbarSelection(kind);
            }
        },
        this);
    styleBar_ = new StyleBarView([this](tessary::AnnotationColor color) { style_.color = color; },
                                 [this](tessary::AnnotationWeight weight) { style_.weight = weight; },
                                 [this](const std::string& sticker) { sticker_ = sticker; }, this);
    toolbar_->hide();
    styleBar_->hide();
}

void SelectionCanvasView::syncStyleBar() {
    if (!styleBar_) {
        return;
    }
    styleBar_->setShowsStickers(activeTool_ == ToolKind::sticker);
    const bool wanted = barsVisible_ && activeTool_.has_value();
    if (wanted != styleBar_->isVisibleTo(this)) {
        styleBar_->setVisible(wanted);
    }
    layOutBars();
}

void SelectionCanvasView::updateBarState() {
    if (!toolbar_) {
        return;
    }
    std::optional<ToolKind> highlighted = activeTool_;
    if (!highlighted && isColorPickerActive_) {
        highlighted = ToolKind::colorPicker;
    }
    toolbar_->setHighlightedKind(highlighted);
    toolbar_->setUndoEnabled(store_.canUndo());
}

void SelectionCanvasView::showBars() {
    if (!selection_) {
        return;
    }
    ensureBars();
    barsVisible_ = true;
    toolbar_->show();
    toolbar_->raise();
    styleBar_->raise();
    syncStyleBar();
    updateBarState();
    qrDetector_->schedule(*selection_, [this] { return croppedImage(); });
    if (ClickTrace::isEnabled()) {
        const Rect frame = CoordinateSpace::fromWidget(QRectF(toolbar_->geometry()), height());
        const Rect screen = frame.offsetBy(captured_.frame.x, captured_.frame.y);
        const QWidget* top = window();
        const bool key = top && top->isActiveWindow();
        traceCanvas(QString::asprintf("工具栏出现在屏幕 (%.1f,%.1f,%.1f×%.1f)，窗口 key=", screen.x, screen.y,
                                      screen.width, screen.height) +
                    (key ? QStringLiteral("是") : QStringLiteral("否")));
    }
}

void SelectionCanvasView::hideBars() {
    barsVisible_ = false;
    if (toolbar_) {
        toolbar_->hide();
        styleBar_->hide();
    }
    hideNotice();
}

void SelectionCanvasView::layOutBars() {
    if (!selection_) {
        return;
    }
    const bool noticeVisible = noticeBar_ && !noticeBar_->isHidden();
    const std::optional<tessary::Size> notice =
        noticeVisible
            ? std::optional<tessary::Size>({double(noticeBar_->width()), double(noticeBar_->height())})
            : std::nullopt;
    const bool styleVisible = styleBar_ && !styleBar_->isHidden();
    const std::optional<tessary::Size> style =
        styleVisible ? std::optional<tessary::Size>({double(styleBar_->width()), double(styleBar_->height())})
                     : std::nullopt;
    const tessary::Size toolbarSize =
        toolbar_ ? tessary::Size{double(toolbar_->width()), double(toolbar_->height())}
                 : tessary::Size{toolbarWidth, toolbarHeight};
    const auto frames = tessary::BarStackLayout::layOut(*selection_, bounds(), toolbarSize, style, notice);
    if (toolbar_) {
        toolbar_->move(toWidget(frames.toolbar).topLeft().toPoint());
    }
    if (frames.styleBar && styleBar_) {
        styleBar_->move(toWidget(*frames.styleBar).topLeft().toPoint());
    }
    if (frames.notice && noticeBar_) {
        noticeBar_->move(toWidget(*frames.notice).topLeft().toPoint());
    }
}
