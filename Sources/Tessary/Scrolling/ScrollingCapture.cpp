#include "Scrolling/ScrollingCapture.h"

#include "Foundation/CoordinateSpace.h"
#include "Foundation/L10n.h"
#include "Foundation/Log.h"
#include "Output/Clipboard.h"
#include "Output/ImageSaver.h"
#include "Scrolling/ScrollAlignmentWindow.h"
#include "Scrolling/ScrollFrameConverter.h"
#include "Scrolling/ScrollingCaptureController.h"
#include "Scrolling/ScrollingCapturePanel.h"
#include "Scrolling/ScrollingPreviewStripView.h"
#include "Scrolling/ScrollingSelectionFrameWindow.h"
#include "Scrolling/SegmentJoinPreviewView.h"

#include <QColorSpace>
#include <QScreen>
#include <QtConcurrent/QtConcurrentRun>

namespace {

constexpr double kResultPanelSeconds = 1.6;
// Long enough to read why the capture could not run.
constexpr double kRefusalSeconds = 5.0;

QString okText(bool ok) {
    return ok ? QStringLiteral("成功") : QStringLiteral("失败");
}

QString sizeText(const QImage& image) {
    return QString::number(image.width()) + 'x' + QString::number(image.height());
}

} // namespace

ScrollingCapture::ScrollingCapture(DisplayCapture& capture, tessary::LaunchOptions options, QObject* parent)
    : QObject(parent), capture_(capture), options_(std::move(options)) {}

ScrollingCapture::~ScrollingCapture() {
    delete panel_.data();
    delete frameWindow_.data();
    delete alignmentWindow_.data();
}

ScrollingCaptureController* ScrollingCapture::controller() const {
    return controller_;
}

ScrollingCapturePanel* ScrollingCapture::panel() const {
    return panel_;
}

ScrollingSelectionFrameWindow* ScrollingCapture::frameWindow() const {
    return frameWindow_;
}

ScrollAlignmentWindow* ScrollingCapture::alignmentWindow() const {
    return alignmentWindow_;
}

bool ScrollingCapture::isRunning() const {
    return controller_ && controller_->isRunning();
}

void ScrollingCapture::finishFromHotKey() {
    if (isRunning()) {
        controller_->stop();
    }
}

void ScrollingCapture::begin(const tessary::Rect& selection, QScreen* screen, double scale,
                             const std::optional<QString>& hotKeyDisplay) {
    // A capture still drawing its result keeps its windows until it delivers.
    if (controller_) {
        return;
    }
    // A panel still showing the previous result goes now.
    delete panel_.data();
    const QRect region = CoordinateSpace::toQtGlobal(selection.standardized()).toAlignedRect();

    frameWindow_ = new ScrollingSelectionFrameWindow(region);
    auto* panel = new ScrollingCapturePanel;
    panel->buildContent(hotKeyDisplay);
    panel->placeNear(region);
    panel_ = panel;
    frameWindow_->show();
    panel->show();

    std::optional<QString> frames;
    if (options_.devScrollFramesDirectory) {
        frames = QString::fromStdString(*options_.devScrollFramesDirectory);
    }
    auto* controller = new ScrollingCaptureController(capture_, screen, scale, selection, frames,
                                                      options_.devScrollDuration, this);
    controller_ = controller;
    hideCount_ = 0;
    hiddenMs_ = 0;

    QPointer<ScrollingCapturePanel> weakPanel(panel);
    QPointer<ScrollingCapture> self(this);
    controller->onStrip = [weakPanel](const QImage& strip) {
        if (weakPanel) {
            weakPanel->preview()->append(strip);
        }
    };
    controller->onProgress = [weakPanel](const tessary::ScrollingProgress& progress) {
        if (weakPanel) {
            weakPanel->updateStatus(progress.frameCount, progress.heightInPixels, progress.segmentCount);
            weakPanel->showNotice(progress.notice);
        }
    };
    refusal_.clear();
    controller->onRefused = [self](const QString& reason) {
        if (self) {
            self->refusal_ = reason;
            Log::info(QStringLiteral("提示：") + reason);
        }
    };
    controller->onFinish = [self](const QList<QImage>& segments) {
        if (self) {
            self->finishCapture(segments);
        }
    };
    // A root grab sees our windows: where the panel found no place beside the region it steps away for
    // each grab.
    controller->beforeGrab = [self, weakPanel, region] {
        if (!self || !weakPanel || !weakPanel->isVisible() || !weakPanel->geometry().intersects(region)) {
            return false;
        }
        weakPanel->hide();
        self->hiddenSince_.start();
        ++self->hideCount_;
        return true;
    };
    controller->afterGrab = [self, weakPanel] {
        if (self && weakPanel && self->hiddenSince_.isValid()) {
            self->hiddenMs_ += self->hiddenSince_.elapsed();
            self->hiddenSince_.invalidate();
            if (self->controller_ && self->controller_->isRunning()) {
                weakPanel->show();
            }
        }
    };
    QPointer<ScrollingCaptureController> weakController(controller);
    panel->onDone = [weakController] {
        if (weakController) {
            weakController->stop();
        }
    };
    panel->onCancel = [weakController] {
        if (weakController) {
            weakController->cancel();
        }
    };
    controller->start();
}

void ScrollingCapture::finishCapture(const QList<QImage>& segments) {
    const QColorSpace colorSpace = controller_ && controller_->capturedColorSpace().isValid()
                                       ? controller_->capturedColorSpace()
                                       : QColorSpace(QColorSpace::SRgb);
    if (hideCount_ > 0) {
        Log::info(QStringLiteral("滚动截图：面板在选区里，抓帧时隐藏了 ") + QString::number(hideCount_) +
                  QStringLiteral(" 次，共 ") + QString::number(hiddenMs_) + QStringLiteral(" 毫秒。"));
    }
    // The controller finishes from inside its own loop step: release it afterwards.
    if (controller_) {
        controller_->deleteLater();
    }
    controller_ = nullptr;
    delete frameWindow_.data();
    QPointer<ScrollingCapturePanel> panel = panel_;
    if (segments.isEmpty()) {
        if (panel && !refusal_.isEmpty()) {
            panel->show();
            panel->presentProblem(refusal_, kRefusalSeconds);
        } else {
            delete panel.data();
        }
        Q_EMIT endedWithoutResult();
        return;
    }
    if (segments.size() == 1) {
        if (panel) {
            panel->show();
        }
        deliver(segments.first(), panel);
        return;
    }
    delete panel.data();
    presentAlignment(segments, colorSpace);
}

void ScrollingCapture::presentAlignment(const QList<QImage>& segments, const QColorSpace& colorSpace) {
    Log::info(QStringLiteral("滚动截图：") + QString::number(segments.size()) +
              QStringLiteral(" 段没能自动接上，打开手动对齐窗口。"));
    delete alignmentWindow_.data();
    auto* window = new ScrollAlignmentWindow(segments);
    alignmentWindow_ = window;
    QPointer<ScrollingCapture> self(this);
    window->onConfirm = [self, segments, colorSpace](const std::vector<std::int64_t>& overlaps) {
        if (!self) {
            return;
        }
        if (self->alignmentWindow_) {
            self->alignmentWindow_->deleteLater();
        }
        // Joining touches every page of the long image: on a worker, like the PNG encode after it.
        QtConcurrent::run([segments, overlaps, colorSpace] {
            return ScrollFrameConverter::stack(segments, overlaps, colorSpace);
        }).then(self.data(), [self, overlaps](const std::optional<QImage>& image) {
            if (!image) {
                Log::error(QStringLiteral("手动对齐：按重叠量合成长图失败。"));
                Q_EMIT self->endedWithoutResult();
                return;
            }
            const auto aligned =
                std::count_if(overlaps.begin(), overlaps.end(), [](std::int64_t o) { return o > 0; });
            Log::info(QStringLiteral("手动对齐：") + QString::number(overlaps.size()) +
                      QStringLiteral(" 处接缝对齐了 ") + QString::number(aligned) +
                      QStringLiteral(" 处，长图 ") + sizeText(*image) + QStringLiteral(" 像素。"));
            self->deliver(*image, nullptr);
        });
    };
    window->onCancel = [self] {
        if (!self) {
            return;
        }
        if (self->alignmentWindow_) {
            self->alignmentWindow_->deleteLater();
        }
        Log::info(QStringLiteral("手动对齐：用户取消，未写剪贴板。"));
        Q_EMIT self->endedWithoutResult();
    };
    window->show();
    window->raise();
    window->activateWindow();
    window->preview()->setFocus(Qt::OtherFocusReason);
    if (options_.devAlignConfirmAfter) {
        window->scheduleAutomaticConfirm(*options_.devAlignConfirmAfter);
    }
}

void ScrollingCapture::deliver(const QImage& image, ScrollingCapturePanel* panel) {
    const QString size = sizeText(image);
    if (options_.devScrollOutputPath) {
        const QString path = QString::fromStdString(*options_.devScrollOutputPath);
        ImageSaver::writeAsync(image, path, this, [size, path](bool ok) {
            Log::info(QStringLiteral("滚动截图（开发模式）：") + size + QStringLiteral(" → ") + path +
                      QStringLiteral("，") + okText(ok) + QStringLiteral("。"));
        });
    }
    // Encoding a long PNG takes far longer than a frame: it runs on the output worker.
    QPointer<ScrollingCapture> self(this);
    Clipboard::writeAsync(image, this, [self, size, image](bool ok) {
        Log::info(QStringLiteral("滚动截图：长图 ") + size + QStringLiteral(" 像素，写剪贴板") + okText(ok) +
                  QStringLiteral("。"));
        if (self) {
            Q_EMIT self->delivered(image, ok);
        }
    });
    if (panel) {
        panel->presentResult(L10n::format(QStringLiteral("scroll.result"),
                                          {QString::number(image.width()), QString::number(image.height())}),
                             kResultPanelSeconds);
    }
}
