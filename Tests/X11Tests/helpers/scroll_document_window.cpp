// A reader window for the live scrolling-capture test: a fixed header and footer around a long page that
// the wheel and the arrow keys scroll by uneven steps. It records every offset it shows, and renders the
// page as a long capture should show it.
//
//   scroll_document_window show OFFSET_LOG     frameless window at (100, 100), 640 × 444
//   scroll_document_window expect LAST OUT     header + page rows 0 … LAST + 360 as PNG
//   scroll_document_window frames DIR W H STEP ROWS   frames of a page ROWS high, W × H, STEP apart

#include "Support/ScrollDocument.h"

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QPainter>
#include <QWheelEvent>
#include <QWidget>

namespace {

constexpr int kWidth = 640;
constexpr int kView = 360;
constexpr int kPageHeight = 4000;

class Reader : public QWidget {
public:
    Reader(QImage page, QString log) : page_(std::move(page)), log_(std::move(log)) {
        setWindowFlags(Qt::FramelessWindowHint);
        setFixedSize(kWidth, ScrollDocument::headerHeight + kView + ScrollDocument::footerHeight);
        setFocusPolicy(Qt::StrongFocus);
        record();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.drawImage(0, 0, ScrollDocument::frame(page_, offset_, kView));
    }
    void wheelEvent(QWheelEvent* event) override {
        // 53 rows per notch, in both directions.
        scrollBy(event->angleDelta().y() < 0 ? 53 : -53);
    }
    void keyPressEvent(QKeyEvent* event) override {
        switch (event->key()) {
        case Qt::Key_Down:
            scrollBy(23);
            break;
        case Qt::Key_Up:
            scrollBy(-23);
            break;
        case Qt::Key_PageDown:
            scrollBy(170);
            break;
        default:
            QWidget::keyPressEvent(event);
        }
    }

private:
    void scrollBy(int rows) {
        offset_ = std::clamp(offset_ + rows, 0, page_.height() - kView);
        repaint();
        record();
    }
    void record() {
        QFile file(log_);
        if (file.open(QIODevice::Append | QIODevice::Text)) {
            file.write(QByteArray::number(offset_) + '\n');
        }
    }

    QImage page_;
    QString log_;
    int offset_ = 0;
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QImage page = ScrollDocument::content(kWidth, kPageHeight);
    if (args.size() == 4 && args[1] == QLatin1String("expect")) {
        return ScrollDocument::stitched(page, 0, args[2].toInt() + kView).save(args[3], "PNG") ? 0 : 1;
    }
    if (args.size() == 7 && args[1] == QLatin1String("frames")) {
        const int width = args[3].toInt();
        const int height = args[4].toInt();
        const int step = args[5].toInt();
        const QImage whole = ScrollDocument::content(width, args[6].toInt());
        for (int offset = 0, i = 0; offset + height <= whole.height(); offset += step, ++i) {
            const QString name = QStringLiteral("%1/%2.png").arg(args[2]).arg(i, 4, 10, QLatin1Char('0'));
            if (!whole.copy(0, offset, width, height).save(name, "PNG", 0)) {
                return 1;
            }
        }
        return 0;
    }
    if (args.size() != 3 || args[1] != QLatin1String("show")) {
        return 2;
    }
    Reader reader(page, args[2]);
    reader.move(100, 100);
    reader.show();
    return app.exec();
}
