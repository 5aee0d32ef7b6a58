#include "Overlay/Bars/ToolbarView.h"

#include "Foundation/L10n.h"
#include "Foundation/Theme.h"
#include "Overlay/Bars/ToolButton.h"
#include "TessaryCore/ToolbarLayout.h"

#include <QPainter>

ToolbarView::ToolbarView(std::function<void(ToolKind)> onSelect, QWidget* parent)
    : FloatingBar(parent), onSelect_(std::move(onSelect)) {
    std::vector<int> groups;
    for (const ToolKind kind : allToolKinds) {
        groups.push_back(static_cast<int>(ToolKinds::group(kind)));
        // The callback goes through `this` so a button never outlives the handler it calls.
        auto* button = new ToolButton(
            kind,
            [this](ToolKind picked) {
                if (onSelect_) {
                    onSelect_(picked);
                }
            },
            this);
        buttons_.push_back(button);
    }
    const auto layout = tessary::ToolbarLayout::layOut(groups);
    for (std::size_t i = 0; i < buttons_.size(); ++i) {
        buttons_[i]->setGeometry(widgetRect(layout.buttons[i]));
    }
    for (const auto& separator : layout.separators) {
        separators_.emplace_back(separator.x, separator.y, separator.width, separator.height);
    }
    setFixedSize(static_cast<int>(layout.size.width), static_cast<int>(layout.size.height));

    applyTexts();
    connect(L10n::notifier(), &L10n::languageDidChange, this, &ToolbarView::applyTexts);
    // Starts as "available" so that the switch below takes effect and sets the explanatory tooltip.
    qrAvailable_ = true;
    setQRAvailable(false);
}

ToolButton* ToolbarView::button(ToolKind kind) const {
    return buttons_.at(static_cast<std::size_t>(kind));
}

void ToolbarView::setHighlightedKind(std::optional<ToolKind> kind) {
    for (ToolButton* b : buttons_) {
        b->setSelected(kind && b->kind() == *kind);
    }
}

void ToolbarView::setQRAvailable(bool available) {
    if (qrAvailable_ == available) {
        return;
    }
    qrAvailable_ = available;
    button(ToolKind::qrCode)->setActionable(available);
    applyQRTexts();
}

void ToolbarView::setTranslateBusy(bool busy) {
    button(ToolKind::translate)->setActionable(!busy);
}

void ToolbarView::setTranslateActive(bool active) {
    button(ToolKind::translate)->setSelected(active);
}

void ToolbarView::setUndoEnabled(bool enabled) {
    button(ToolKind::undo)->setActionable(enabled);
}

void ToolbarView::applyTexts() {
    for (ToolButton* b : buttons_) {
        const QString text = L10n::text(ToolKinds::localizationKey(b->kind()));
        b->setToolTip(text);
        b->setAccessibleName(text);
    }
    applyQRTexts();
}

void ToolbarView::applyQRTexts() {
    ToolButton* qr = button(ToolKind::qrCode);
    const QString name = L10n::text(ToolKinds::localizationKey(ToolKind::qrCode));
    if (qrAvailable_) {
        qr->setToolTip(name);
        qr->setAccessibleDescription(QString());
    } else {
        const QString notFound = L10n::text(QStringLiteral("tooltip.qrNotFound"));
        qr->setToolTip(name + QStringLiteral(" · ") + notFound);
        qr->setAccessibleDescription(notFound);
    }
}

void ToolbarView::paintOverBackdrop(QPainter& painter) {
    painter.setRenderHint(QPainter::Antialiasing, false);
    for (const QRectF& separator : separators_) {
        painter.fillRect(separator, Theme::separatorColor());
    }
}

// Presses that miss every button belong to the bar, not to the canvas below it.
