#include "Scrolling/ScrollingCapturePanel.h"

#include "Foundation/CoordinateSpace.h"
#include "Foundation/Fonts.h"
#include "Foundation/L10n.h"
#include "Scrolling/ScrollingPreviewStripView.h"
#include "TessaryCore/ScrollingPanelLayout.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTimer>

namespace {

constexpr int kInset = 16;
constexpr int kContentWidth = 236;
constexpr double kCornerRadius = 12;

QPushButton* makeButton(const QString& title, QWidget* parent) {
    auto* button = new QPushButton(QStringLiteral(" ") + title, parent);
    button->setFocusPolicy(Qt::NoFocus);
    button->setFont(Fonts::system(12, Fonts::Weight::regular));
    button->setAccessibleName(title);
    return button;
}

std::vector<tessary::ScrollingPanelLayout::ScreenArea> screenAreas() {
    std::vector<tessary::ScrollingPanelLayout::ScreenArea> areas;
    QList<QScreen*> screens = QGuiApplication::screens();
    // The main display comes first: it is the fallback area.
    if (QScreen* primary = QGuiApplication::primaryScreen()) {
        screens.removeAll(primary);
        screens.prepend(primary);
    }
    for (const QScreen* screen : std::as_const(screens)) {
        areas.push_back({CoordinateSpace::frameOf(screen),
                         CoordinateSpace::fromQtGlobal(QRectF(screen->availableGeometry()))});
    }
    return areas;
}

} // namespace

ScrollingCapturePanel::ScrollingCapturePanel()
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::X11BypassWindowManagerHint | Qt::WindowDoesNotAcceptFocus) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_X11DoNotAcceptFocus);
    setObjectName(QStringLiteral("ScrollingCapturePanel"));
    setFixedSize(panelWidth, panelHeight);
    // Without a compositor the translucent corners would show black: cut them off.
    QPainterPath outline;
    outline.addRoundedRect(QRectF(0, 0, panelWidth, panelHeight), kCornerRadius, kCornerRadius);
    setMask(QRegion(outline.toFillPolygon().toPolygon()));
}

void ScrollingCapturePanel::buildContent(const std::optional<QString>& hotKeyDisplay) {
    const QColor label(235, 235, 235);
    const QColor secondary(170, 170, 170);

    title_ = new QLabel(L10n::text(QStringLiteral("scroll.title")), this);
    title_->setFont(Fonts::system(13, Fonts::Weight::semibold));
    title_->setGeometry(kInset, 14, kContentWidth, 18);
    title_->setStyleSheet(QStringLiteral("color: %1").arg(label.name()));

    preview_ = new ScrollingPreviewStripView(this);
    preview_->setGeometry(kInset, 40, kContentWidth, 230);

    status_ = new QLabel(this);
    status_->setTextFormat(Qt::PlainText);
    status_->setFont(Fonts::monospaced(11, Fonts::Weight::regular));
    status_->setGeometry(kInset, 40 + 230 + 8, kContentWidth, 16);
    status_->setStyleSheet(QStringLiteral("color: %1").arg(secondary.name()));

    notice_ = new QLabel(this);
    notice_->setTextFormat(Qt::PlainText);
    notice_->setFont(Fonts::system(11, Fonts::Weight::regular));
    notice_->setWordWrap(true);
    notice_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    notice_->setGeometry(kInset, 278 + 16 + 4, kContentWidth, 42);
    notice_->setStyleSheet(QStringLiteral("color: %1").arg(label.name()));

    // Not the overlay's "Cancel (Esc)": the panel never takes the keyboard from the scrolled window.
    cancel_ = makeButton(L10n::text(QStringLiteral("scroll.cancel")), this);
    cancel_->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
    cancel_->setGeometry(kInset, panelHeight - 14 - 28, 113, 28);
    done_ = makeButton(L10n::text(QStringLiteral("scroll.done")), this);
    done_->setIcon(style()->standardIcon(QStyle::SP_DialogApplyButton));
    done_->setGeometry(139, panelHeight - 14 - 28, 113, 28);
    connect(cancel_, &QPushButton::clicked, this, [this] {
        if (onCancel) {
            onCancel();
        }
    });
    connect(done_, &QPushButton::clicked, this, [this] {
        if (onDone) {
            onDone();
        }
    });

    updateStatus(0, 0, 1);
    notice_->setText(hotKeyDisplay ? L10n::format(QStringLiteral("scroll.hint.hotkey"), {*hotKeyDisplay})
                                   : L10n::text(QStringLiteral("scroll.hint")));
}

void ScrollingCapturePanel::placeNear(const QRect& region) {
    const tessary::Rect model = CoordinateSpace::fromQtGlobal(QRectF(region));
    const tessary::Point origin =
        tessary::ScrollingPanelLayout::place(model, {double(width()), double(height())}, screenAreas());
    const QRectF qt =
        CoordinateSpace::toQtGlobal(tessary::Rect{origin.x, origin.y, double(width()), double(height())});
    move(qt.topLeft().toPoint());
}

void ScrollingCapturePanel::updateStatus(std::int64_t frames, std::int64_t height, std::int64_t segments) {
    if (!status_) {
        return;
    }
    QString text =
        L10n::format(QStringLiteral("scroll.status"), {QString::number(frames), QString::number(height)});
    if (segments >= 2) {
        text += L10n::format(QStringLiteral("scroll.status.segments"), {QString::number(segments)});
    }
    status_->setText(text);
}

void ScrollingCapturePanel::showNotice(std::optional<tessary::ScrollingNotice> notice) {
    if (!notice || !notice_) {
        return;
    }
    notice_->setText(QStringLiteral("\u26A0\uFE0E ") +
                     L10n::text(QString::fromLatin1(tessary::noticeKey(*notice))));
}

void ScrollingCapturePanel::presentProblem(const QString& text, double seconds) {
    presentResult(text, seconds);
    if (notice_) {
        notice_->setText(QStringLiteral("\u26A0\uFE0E ") + text);
    }
}

void ScrollingCapturePanel::presentResult(const QString& text, double seconds) {
    if (notice_) {
        notice_->setText(QStringLiteral("\u2713 ") + text);
    }
    QPointer<ScrollingCapturePanel> self(this);
    QTimer::singleShot(int(seconds * 1000), [self] {
        if (self) {
            self->hide();
            self->deleteLater();
        }
    });
}

QString ScrollingCapturePanel::statusText() const {
    return status_ ? status_->text() : QString();
}

QString ScrollingCapturePanel::noticeText() const {
    return notice_ ? notice_->text() : QString();
}

void ScrollingCapturePanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QColor(255, 255, 255, 40));
    painter.setBrush(QColor(30, 30, 32, 235));
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), kCornerRadius, kCornerRadius);
}
