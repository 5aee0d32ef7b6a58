#include "Scrolling/ScrollAlignmentWindow.h"

#include "Foundation/Fonts.h"
#include "Foundation/L10n.h"
#include "Foundation/Log.h"
#include "Scrolling/ScrollFrameConverter.h"
#include "Scrolling/SegmentJoinPreviewView.h"
#include "TessaryCore/FrameSignature.h"
#include "TessaryCore/SegmentAligner.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTimer>

#include <charconv>
#include <cmath>

namespace {

constexpr int kWidth = 720;
constexpr int kHeight = 544;
constexpr int kSuggestionRows = 400;
constexpr int kSignatureBands = 64;
constexpr int kButtonRowY = 512;

QPushButton* makeButton(const QString& key, QStyle::StandardPixmap icon, int minimumWidth, QWidget* parent) {
    auto* button = new QPushButton(L10n::text(key), parent);
    button->setFont(Fonts::system(12, Fonts::Weight::regular));
    button->setIcon(parent->style()->standardIcon(icon));
    button->setFocusPolicy(Qt::NoFocus);
    const int fitting = button->sizeHint().width();
    button->resize(std::max(fitting, minimumWidth), 30);
    return button;
}

QString shortestDecimal(double value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    QString text = QString::fromLatin1(buffer, result.ptr - buffer);
    if (!text.contains(QLatin1Char('.')) && !text.contains(QLatin1Char('e'))) {
        text += QStringLiteral(".0");
    }
    return text;
}

QString joined(const std::vector<std::int64_t>& values) {
    QStringList parts;
    for (const std::int64_t value : values) {
        parts.append(QString::number(value));
    }
    return parts.join(QStringLiteral(" / "));
}

} // namespace

ScrollAlignmentWindow::ScrollAlignmentWindow(QList<QImage> segments)
    : QWidget(nullptr, Qt::Window | Qt::WindowStaysOnTopHint), segments_(std::move(segments)),
      state_(segments_.size()) {
    setObjectName(QStringLiteral("ScrollAlignmentWindow"));
    setWindowTitle(L10n::text(QStringLiteral("align.title")));
    setFixedSize(kWidth, kHeight);

    hint_ = new QLabel(L10n::text(QStringLiteral("align.hint")), this);
    hint_->setTextFormat(Qt::PlainText);
    hint_->setWordWrap(true);
    hint_->setFont(Fonts::system(12, Fonts::Weight::regular));
    hint_->setGeometry(16, 16, 688, 36);
    QPalette secondary = hint_->palette();
    secondary.setColor(QPalette::WindowText, secondary.color(QPalette::PlaceholderText));
    hint_->setPalette(secondary);

    preview_ = new SegmentJoinPreviewView(this);
    preview_->setGeometry(16, 62, 688, 420);
    preview_->onOverlapChange = [this](std::int64_t overlap) {
        state_.setCurrentOverlap(overlap);
        updateLabels();
    };

    joinLabel_ = new QLabel(this);
    joinLabel_->setFont(Fonts::system(12, Fonts::Weight::medium));
    joinLabel_->setGeometry(16, 492, 220, 18);
    overlapLabel_ = new QLabel(this);
    overlapLabel_->setFont(Fonts::monospaced(12, Fonts::Weight::regular));
    overlapLabel_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    overlapLabel_->setGeometry(384, 492, 320, 18);

    previous_ = makeButton(QStringLiteral("align.previousJoin"), QStyle::SP_ArrowUp, 116, this);
    previous_->move(16, kButtonRowY);
    next_ = makeButton(QStringLiteral("align.nextJoin"), QStyle::SP_ArrowDown, 116, this);
    next_->move(previous_->geometry().right() + 1 + 6, kButtonRowY);
    QPushButton* automatic = makeButton(QStringLiteral("align.auto"), QStyle::SP_BrowserReload, 120, this);
    automatic->move(next_->geometry().right() + 1 + 12, kButtonRowY);
    QPushButton* done = makeButton(QStringLiteral("align.done"), QStyle::SP_DialogApplyButton, 110, this);
    done->move(704 - done->width(), kButtonRowY);
    QPushButton* cancel =
        makeButton(QStringLiteral("action.cancel"), QStyle::SP_DialogCancelButton, 100, this);
    cancel->move(done->x() - 10 - cancel->width(), kButtonRowY);
    connect(previous_, &QPushButton::clicked, this, &ScrollAlignmentWindow::goPrevious);
    connect(next_, &QPushButton::clicked, this, &ScrollAlignmentWindow::goNext);
    connect(automatic, &QPushButton::clicked, this, &ScrollAlignmentWindow::autoAlign);
    connect(done, &QPushButton::clicked, this, &ScrollAlignmentWindow::confirmTapped);
    connect(cancel, &QPushButton::clicked, this, &ScrollAlignmentWindow::cancelTapped);

    suggestAll();
    showJoin(0);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(kWidth / 2, kHeight / 2));
    }
}

void ScrollAlignmentWindow::suggestAll() {
    for (std::int64_t seam = 0; seam < state_.seamCount(); ++seam) {
        const QImage& upper = segments_[qsizetype(seam)];
        const QImage& lower = segments_[qsizetype(seam + 1)];
        const int upperRows = std::min(upper.height(), kSuggestionRows);
        const int lowerRows = std::min(lower.height(), kSuggestionRows);
        const auto previous = ScrollFrameConverter::grayscale(
            upper.copy(0, upper.height() - upperRows, upper.width(), upperRows));
        const auto current = ScrollFrameConverter::grayscale(lower.copy(0, 0, lower.width(), lowerRows));
        if (!previous || !current) {
            continue;
        }
        const QString unsure = QStringLiteral("手动对齐：第 ") + QString::number(seam + 1) +
                               QStringLiteral(" 处接缝认不准，留给用户自己拖。");
        if (previous->width() != current->width()) {
            Log::info(unsure);
            continue;
        }
        const auto overlap = tessary::SegmentAligner::suggestOverlap(
            tessary::FrameSignature(*previous, kSignatureBands),
            tessary::FrameSignature(*current, kSignatureBands), tessary::ScrollMatchOptions{});
        if (!overlap) {
            Log::info(unsure);
            continue;
        }
        state_.setOverlap(seam, *overlap);
        Log::info(QStringLiteral("手动对齐：第 ") + QString::number(seam + 1) +
                  QStringLiteral(" 处接缝自动建议重叠 ") + QString::number(*overlap) +
                  QStringLiteral(" 像素。"));
    }
}

void ScrollAlignmentWindow::showJoin(std::int64_t join) {
    state_.show(join);
    const std::int64_t i = state_.currentJoin();
    preview_->setImages(segments_[qsizetype(i)], segments_[qsizetype(i + 1)]);
    preview_->setOverlap(state_.currentOverlap());
    previous_->setEnabled(state_.canGoPrevious());
    next_->setEnabled(state_.canGoNext());
    previous_->setVisible(state_.navigationVisible());
    next_->setVisible(state_.navigationVisible());
    updateLabels();
}

void ScrollAlignmentWindow::updateLabels() {
    joinLabel_->setText(joinText());
    overlapLabel_->setText(overlapText());
}

QString ScrollAlignmentWindow::joinText() const {
    return L10n::format(QStringLiteral("align.joinIndex"),
                        {QString::number(state_.currentJoin() + 1), QString::number(state_.seamCount())});
}

QString ScrollAlignmentWindow::overlapText() const {
    const std::int64_t overlap = state_.currentOverlap();
    return overlap < 1 ? L10n::text(QStringLiteral("align.notAligned"))
                       : L10n::format(QStringLiteral("align.overlap"), {QString::number(overlap)});
}

void ScrollAlignmentWindow::goPrevious() {
    showJoin(state_.currentJoin() - 1);
}

void ScrollAlignmentWindow::goNext() {
    showJoin(state_.currentJoin() + 1);
}

void ScrollAlignmentWindow::autoAlign() {
    suggestAll();
    showJoin(state_.currentJoin());
}

void ScrollAlignmentWindow::confirmTapped() {
    end(true);
}

void ScrollAlignmentWindow::cancelTapped() {
    end(false);
}

void ScrollAlignmentWindow::end(bool confirmed) {
    if (ended_) {
        return;
    }
    ended_ = true;
    // The callbacks may drop this window: keep what they need and close first.
    const auto confirm = onConfirm;
    const auto cancel = onCancel;
    const std::vector<std::int64_t> overlaps = state_.overlaps();
    hide();
    if (confirmed && confirm) {
        confirm(overlaps);
    } else if (!confirmed && cancel) {
        cancel();
    }
}

void ScrollAlignmentWindow::scheduleAutomaticConfirm(double seconds) {
    QPointer<ScrollAlignmentWindow> self(this);
    QTimer::singleShot(int(std::lround(seconds * 1000)), Qt::PreciseTimer, this, [self, seconds] {
        if (!self || !self->isVisible() || self->ended_) {
            return;
        }
        Log::info(QStringLiteral("手动对齐（开发模式）：") + shortestDecimal(seconds) +
                  QStringLiteral(" 秒后自动确认，重叠 ") + joined(self->state_.overlaps()) +
                  QStringLiteral(" 像素。"));
        self->confirmTapped();
    });
}

void ScrollAlignmentWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        cancelTapped();
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        confirmTapped();
        return;
    }
    QWidget::keyPressEvent(event);
}

void ScrollAlignmentWindow::closeEvent(QCloseEvent* event) {
    // The title bar's close button cancels like Escape.
    if (!ended_) {
        end(false);
    }
    event->accept();
}
