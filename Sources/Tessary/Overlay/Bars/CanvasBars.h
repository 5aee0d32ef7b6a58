#pragma once

#include "Overlay/Bars/ToolKind.h"
#include "TessaryCore/AnnotationColor.h"
#include "TessaryCore/AnnotationWeight.h"
#include "TessaryCore/Geometry.h"

#include <QObject>
#include <QString>

#include <functional>
#include <optional>
#include <string>

class NoticeBarView;
class QTimer;
class QVariantAnimation;
class QWidget;
class StyleBarView;
class ToolbarView;

// The bars stacked at a selection: the toolbar, the style bar of the armed tool, and the notice
// that fades out by itself. Children of the canvas, laid out in its points.
class CanvasBars : public QObject {
    Q_OBJECT
public:
    // The toolbar's size before it exists; the notice is stacked under it.
    static constexpr double toolbarWidth = 866;
    static constexpr double toolbarHeight = 44;

    struct Actions {
        std::function<void(ToolKind)> tool;
        std::function<void(tessary::AnnotationColor)> color;
        std::function<void(tessary::AnnotationWeight)> weight;
        std::function<void(const std::string&)> sticker;
    };
    CanvasBars(QWidget* canvas, std::function<std::optional<tessary::Rect>()> selection, Actions actions);

    // Created on the first show(); null before.
    ToolbarView* toolbar() const { return toolbar_; }
    StyleBarView* styleBar() const { return styleBar_; }
    NoticeBarView* noticeBar() const { return noticeBar_; }

    bool isVisible() const { return visible_; }
    // Shows the toolbar at the selection; the style bar follows with syncStyleBar().
    void show();
    void hide();
    // The style bar is up while the bars are and a tool is armed; it offers stickers for the sticker tool.
    void syncStyleBar(std::optional<ToolKind> armed);
    // The toolbar marks `highlighted` and enables undo.
    void updateState(std::optional<ToolKind> highlighted, bool canUndo);
    void setQRAvailable(bool available);

    void showNotice(const QString& text);
    void hideNotice();

private:
    void ensure();
    void layOut();

    QWidget* canvas_;
    std::function<std::optional<tessary::Rect>()> selection_;
    Actions actions_;
    bool visible_ = false;
    ToolbarView* toolbar_ = nullptr;
    StyleBarView* styleBar_ = nullptr;
    NoticeBarView* noticeBar_ = nullptr;
    QTimer* noticeTimer_ = nullptr;
    QVariantAnimation* noticeFade_ = nullptr;
};
