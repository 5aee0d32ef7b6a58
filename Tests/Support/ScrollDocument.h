#pragma once

// A long page of real text and drawn pictures with a fixed header and footer, as a scrolled window shows
// it: the scrolling capture tests cut frames from it or scroll a window over it.

#include <QColor>
#include <QFont>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QStringList>

namespace ScrollDocument {

inline constexpr int headerHeight = 48;
inline constexpr int footerHeight = 36;

inline QStringList sentences() {
    return {
        QStringLiteral(
            "The harbour woke before the town did: gulls first, then the bells of the fishing boats."),
        QStringLiteral("Mara counted the crates twice and wrote the number on the back of her hand."),
        QStringLiteral("The ledger had gone overboard in the storm of the previous week."),
        QStringLiteral("Invoice: 3 × rope, 12 m; 2 × lantern glass; 1 × tin of tar, paid in full."),
        QStringLiteral("The chandler swore he would deliver the tar \"by Thursday at the latest\"."),
        QStringLiteral("Nobody on the quay believed him, least of all the harbour master."),
        QStringLiteral("At noon the wind turned west and the water went from grey to green."),
        QStringLiteral("The smell of bread came down the hill from Jonah's ovens."),
        QStringLiteral("A ferry horn sounded twice; somewhere a dog answered it."),
        QStringLiteral("Two boys raced along the sea wall with a kite shaped like a herring."),
        QStringLiteral("By evening the fog had swallowed the lighthouse to its lamp room."),
        QStringLiteral("Old Pieter mended nets on an upturned barrel and hummed out of tune."),
        QStringLiteral("The tide tables pinned to the office door were three years out of date."),
        QStringLiteral("Somebody had chalked a map of the sandbanks on the fish market's floor."),
    };
}

// Paragraph `n`: a few sentences in an order of its own, so no two paragraphs wrap alike.
inline QString paragraph(int n) {
    const QStringList all = sentences();
    unsigned state = 2654435761u * unsigned(n + 1);
    QStringList picked{QStringLiteral("(%1)").arg(n + 1)};
    const int count = 2 + n % 3;
    for (int i = 0; i < count; ++i) {
        state = state * 1103515245u + 12345u;
        picked.append(all[int((state >> 16) % unsigned(all.size()))]);
    }
    return picked.join(QLatin1Char(' '));
}

// Deterministic picture number `n`: gradients, shapes and a caption.
inline void drawPicture(QPainter& painter, const QRect& box, int n) {
    QLinearGradient sky(box.topLeft(), box.bottomRight());
    sky.setColorAt(0, QColor::fromHsv((n * 47) % 360, 120, 230));
    sky.setColorAt(1, QColor::fromHsv((n * 47 + 140) % 360, 200, 120));
    painter.fillRect(box, sky);
    painter.setPen(Qt::NoPen);
    for (int i = 0; i < 6; ++i) {
        painter.setBrush(QColor::fromHsv((n * 31 + i * 53) % 360, 180, 200 + (i * 9) % 55));
        const int d = 14 + (n * 7 + i * 11) % 40;
        painter.drawEllipse(QRect(box.left() + 10 + (i * 67 + n * 13) % qMax(1, box.width() - d - 20),
                                  box.top() + 8 + (i * 29 + n * 17) % qMax(1, box.height() - d - 16), d, d));
    }
    QPainterPath hills;
    hills.moveTo(box.left(), box.bottom());
    for (int x = 0; x <= box.width(); x += 24) {
        hills.lineTo(box.left() + x, box.bottom() - 20 - ((x * (n + 3)) % 37));
    }
    hills.lineTo(box.right(), box.bottom());
    painter.setBrush(QColor(40 + n % 50, 90, 60));
    painter.drawPath(hills);
    painter.setPen(Qt::white);
    painter.drawText(box.adjusted(8, 4, -8, -4), Qt::AlignRight | Qt::AlignTop,
                     QStringLiteral("Figure %1").arg(n));
}

// The scrolling content alone, `width` × `height` pixels.
inline QImage content(int width, int height) {
    QImage page(width, height, QImage::Format_RGB32);
    page.fill(QColor(252, 251, 247));
    QPainter painter(&page);
    QFont body(QStringLiteral("DejaVu Sans"));
    body.setPixelSize(15);
    QFont heading(QStringLiteral("DejaVu Serif"));
    heading.setPixelSize(22);
    heading.setBold(true);
    int y = 16;
    int n = 0;
    while (y < height) {
        if (n % 4 == 0) {
            painter.setFont(heading);
            painter.setPen(QColor(30, 40, 80));
            painter.drawText(QRect(20, y, width - 40, 30), Qt::AlignLeft,
                             QStringLiteral("Part %1").arg(n / 4 + 1));
            y += 36;
        }
        painter.setFont(body);
        painter.setPen(QColor(20, 20, 20));
        const QString text = paragraph(n);
        const QRect bounds = painter.boundingRect(QRect(20, y, width - 40, 1000), Qt::TextWordWrap, text);
        painter.drawText(QRect(20, y, width - 40, bounds.height()), Qt::TextWordWrap, text);
        y += bounds.height() + 8;
        if (n % 3 == 1) {
            const int h = 90 + (n * 23) % 70;
            drawPicture(painter, QRect(20 + (n * 37) % 60, y, width - 80 - (n * 37) % 60, h), n);
            y += h + 10;
        }
        ++n;
    }
    return page;
}

inline QImage header(int width) {
    QImage bar(width, headerHeight, QImage::Format_RGB32);
    bar.fill(QColor(36, 52, 92));
    QPainter painter(&bar);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(17);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(bar.rect().adjusted(16, 0, -16, 0), Qt::AlignVCenter | Qt::AlignLeft,
                     QStringLiteral("Harbour Log — reader"));
    return bar;
}

inline QImage footer(int width) {
    QImage bar(width, footerHeight, QImage::Format_RGB32);
    bar.fill(QColor(228, 228, 232));
    QPainter painter(&bar);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(12);
    painter.setFont(font);
    painter.setPen(QColor(70, 70, 70));
    painter.drawText(bar.rect().adjusted(16, 0, -16, 0), Qt::AlignVCenter | Qt::AlignLeft,
                     QStringLiteral("◀ Back    ·    Bookmarks    ·    Settings ▶"));
    return bar;
}

// What the window shows with the content scrolled to `offset`: header, `viewHeight` content rows, footer.
inline QImage frame(const QImage& page, int offset, int viewHeight) {
    const int width = page.width();
    QImage shot(width, headerHeight + viewHeight + footerHeight, QImage::Format_RGB32);
    QPainter painter(&shot);
    painter.drawImage(0, 0, header(width));
    painter.drawImage(QPoint(0, headerHeight), page, QRect(0, offset, width, viewHeight));
    painter.drawImage(0, headerHeight + viewHeight, footer(width));
    return shot;
}

// The whole page as one long capture shows it: the header once, then content rows first…last − 1. The
// fixed footer is covered by the content that scrolls in under it.
inline QImage stitched(const QImage& page, int first, int last) {
    const int width = page.width();
    QImage shot(width, headerHeight + (last - first), QImage::Format_RGB32);
    QPainter painter(&shot);
    painter.drawImage(0, 0, header(width));
    painter.drawImage(QPoint(0, headerHeight), page, QRect(0, first, width, last - first));
    return shot;
}

} // namespace ScrollDocument
