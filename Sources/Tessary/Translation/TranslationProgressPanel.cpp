#include "Translation/TranslationProgressPanel.h"

#include "Foundation/CoordinateSpace.h"
#include "Foundation/Fonts.h"
#include "Foundation/L10n.h"
#include "TessaryCore/TranslationProgressPlacement.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QRegion>
#include <QScreen>
#include <QTimer>

namespace {

constexpr int spinnerSide = 16;
constexpr int spinnerSpokes = 12;

// The busy indicator: spokes whose opacity turns round the circle.
class Spinner : public QWidget {
public:
    explicit Spinner(QWidget* parent, const int* step) : QWidget(parent), m_step(step) {
        setFixedSize(spinnerSide, spinnerSide);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.translate(width() / 2.0, height() / 2.0);
        const QColor ink = palette().color(QPalette::WindowText);
        for (int i = 0; i < spinnerSpokes; ++i) {
            QColor color = ink;
            color.setAlphaF(float(0.15 + 0.85 * ((i + *m_step) % spinnerSpokes) / (spinnerSpokes - 1)));
            painter.setPen(QPen(color, 1.8, Qt::SolidLine, Qt::RoundCap));
            painter.drawLine(QPointF(0, -3.5), QPointF(0, -7));
            painter.rotate(360.0 / spinnerSpokes);
        }
    }

private:
    const int* m_step;
};

} // namespace

TranslationProgressPanel::TranslationProgressPanel(const tessary::Rect& selection)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::X11BypassWindowManagerHint | Qt::WindowDoesNotAcceptFocus |
                           Qt::WindowTransparentForInput),
      m_selection(selection) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_X11DoNotAcceptFocus);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);

    auto* spinner = new Spinner(this, &m_spinStep);
    m_label = new QLabel(L10n::text(QStringLiteral("translate.progress")), this);
    m_label->setTextFormat(Qt::PlainText);
    m_label->setWordWrap(true);
    m_label->setFont(Fonts::system(12, Fonts::Weight::regular));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(12, 10, 12, 10);
    layout->setSpacing(8);
    layout->addWidget(spinner, 0, Qt::AlignVCenter);
    layout->addWidget(m_label, 1, Qt::AlignVCenter);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    m_spinTimer = new QTimer(this);
    m_spinTimer->setInterval(80);
    connect(m_spinTimer, &QTimer::timeout, spinner, [this, spinner] {
        m_spinStep = (m_spinStep + 1) % spinnerSpokes;
        spinner->update();
    });
    m_hintTimer = new QTimer(this);
    m_hintTimer->setSingleShot(true);
    m_hintTimer->setInterval(2500);
    connect(m_hintTimer, &QTimer::timeout, this, [this] {
        m_label->setText(L10n::text(QStringLiteral("translate.progress.firstRun")));
        m_label->setMinimumWidth(260 - 12 - 12 - 8 - spinnerSide);
        adjustSize();
        place();
    });
}

QString TranslationProgressPanel::text() const {
    return m_label->text();
}

void TranslationProgressPanel::present() {
    adjustSize();
    place();
    show();
    raise();
    m_spinTimer->start();
    m_hintTimer->start();
}

void TranslationProgressPanel::place() {
    std::vector<tessary::Rect> screens;
    for (const QScreen* screen : QGuiApplication::screens()) {
        screens.push_back(CoordinateSpace::fromQtGlobal(QRectF(screen->geometry())));
    }
    const QSize panel = sizeHint().expandedTo(size());
    const tessary::Point origin = tessary::TranslationProgressPlacement::origin(
        m_selection, {double(panel.width()), double(panel.height())}, screens);
    const QRectF global = CoordinateSpace::toQtGlobal(
        tessary::Rect{origin.x, origin.y, double(panel.width()), double(panel.height())});
    move(global.topLeft().toPoint());
}

void TranslationProgressPanel::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    QPainterPath path;
    path.addRoundedRect(QRectF(rect()), 10, 10);
    setMask(QRegion(path.toFillPolygon().toPolygon()));
}

void TranslationProgressPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 10, 10);
    painter.fillPath(path, palette().color(QPalette::Window));
    painter.setPen(QPen(palette().color(QPalette::Mid), 1));
    painter.drawPath(path);
}
