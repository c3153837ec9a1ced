// SPDX-License-Identifier: GPL-3.0-or-later
// Draws the program's artwork: the icon (a listed sheet with a disc in front of it) at
// 16, 32, 48, 64, 128 and 256 pixels, and the about window's picture of 225 x 210 pixels.
// Usage: tarvelo_artwork FOLDER (run with QT_QPA_PLATFORM=offscreen where there is no display)

#include <cstdio>

#include <QConicalGradient>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace {

const QColor kInk(0x33, 0x44, 0x55);
const QColor kListBlue(0x2f, 0x6f, 0xb8);

// A disc seen from above: a silvery face with a faint rainbow sheen, a clear hub and a
// hole through the middle.
void drawDisc(QPainter& painter, QPointF centre, qreal radius)
{
    QConicalGradient sheen(centre, 30);
    const QColor stops[] = {QColor(0xe8, 0xec, 0xf0), QColor(0xb9, 0xd7, 0xf2),
                            QColor(0xf3, 0xc8, 0xe0), QColor(0xf7, 0xee, 0xb5),
                            QColor(0xc6, 0xeb, 0xd2), QColor(0xe8, 0xec, 0xf0)};
    const int count = static_cast<int>(std::size(stops));
    for (int i = 0; i < count; ++i)
        sheen.setColorAt(static_cast<qreal>(i) / (count - 1), stops[i]);

    painter.setPen(QPen(kInk, qMax<qreal>(1.0, radius / 12)));
    painter.setBrush(sheen);
    painter.drawEllipse(centre, radius, radius);

    painter.setPen(QPen(QColor(0x9a, 0xa8, 0xb5), qMax<qreal>(0.8, radius / 20)));
    painter.setBrush(QColor(0xf4, 0xf6, 0xf8));
    painter.drawEllipse(centre, radius * 0.34, radius * 0.34);

    painter.save();
    painter.setCompositionMode(QPainter::CompositionMode_Clear);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    painter.drawEllipse(centre, radius * 0.13, radius * 0.13);
    painter.restore();
}

// A sheet with a folded corner and a list on it: a bullet and a line per entry.
void drawSheet(QPainter& painter, const QRectF& sheet, int entries)
{
    const qreal fold = sheet.width() * 0.28;
    QPainterPath outline;
    outline.moveTo(sheet.topLeft());
    outline.lineTo(sheet.right() - fold, sheet.top());
    outline.lineTo(sheet.right(), sheet.top() + fold);
    outline.lineTo(sheet.bottomRight());
    outline.lineTo(sheet.bottomLeft());
    outline.closeSubpath();
    painter.setPen(QPen(kInk, qMax<qreal>(1.0, sheet.width() / 22)));
    painter.setBrush(QColor(0xfd, 0xfd, 0xfa));
    painter.drawPath(outline);

    const qreal margin = sheet.width() * 0.16;
    const qreal step = (sheet.height() - 2 * margin) / entries;
    const qreal thickness = qMax<qreal>(1.0, step * 0.38);
    painter.setPen(Qt::NoPen);
    for (int i = 0; i < entries; ++i) {
        const qreal y = sheet.top() + margin + step * (i + 0.5) + (i == 0 ? fold * 0.25 : 0);
        const qreal indent = (i % 3 == 0) ? 0 : thickness * 1.6;
        painter.setBrush(kListBlue);
        painter.drawRect(
            QRectF(sheet.left() + margin + indent, y - thickness / 2, thickness, thickness));
        painter.setBrush(QColor(0x8a, 0x99, 0xa8));
        const qreal lineStart = sheet.left() + margin + indent + thickness * 1.8;
        painter.drawRect(QRectF(lineStart, y - thickness / 2,
                                sheet.right() - margin - lineStart - (i % 2) * margin, thickness));
    }
}

QImage icon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal unit = size / 48.0;
    drawSheet(painter, QRectF(4 * unit, 2 * unit, 27 * unit, 37 * unit), size < 32 ? 3 : 5);
    drawDisc(painter, QPointF(31 * unit, 31 * unit), 15.5 * unit);
    return image;
}

QImage aboutPicture()
{
    QImage image(225, 210, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 210);
    sky.setColorAt(0, QColor(0x1d, 0x35, 0x57));
    sky.setColorAt(1, QColor(0x2a, 0x6f, 0x8e));
    painter.fillRect(image.rect(), sky);

    painter.save();
    painter.translate(150, 78);
    painter.rotate(6);
    drawSheet(painter, QRectF(-44, -58, 88, 116), 8);
    painter.restore();
    // The hole shows the sky behind it, not nothing.
    QImage disc(225, 210, QImage::Format_ARGB32_Premultiplied);
    disc.fill(Qt::transparent);
    QPainter discPainter(&disc);
    discPainter.setRenderHint(QPainter::Antialiasing);
    drawDisc(discPainter, QPointF(76, 92), 58);
    discPainter.end();
    painter.drawImage(0, 0, disc);

    QFont title(QStringLiteral("Comic Neue"));
    title.setPixelSize(30);
    title.setBold(true);
    painter.setFont(title);
    painter.setPen(Qt::white);
    painter.drawText(QRectF(0, 156, 225, 32), Qt::AlignCenter, QStringLiteral("Tarvelo"));
    QFont version(QStringLiteral("Comic Neue"));
    version.setPixelSize(12);
    painter.setFont(version);
    painter.setPen(QColor(0xd5, 0xe4, 0xee));
    painter.drawText(QRectF(0, 187, 225, 16), Qt::AlignCenter, QStringLiteral("verzija 1.00"));
    return image;
}

bool save(const QImage& image, const QString& folder, const QString& name)
{
    const QString path = folder + QLatin1Char('/') + name;
    if (image.save(path, "PNG")) return true;
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
}

} // namespace

int main(int argc, char* argv[])
{
    const QGuiApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: tarvelo_artwork FOLDER\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    bool saved = save(aboutPicture(), folder, QStringLiteral("about.png"));
    for (int size : {16, 32, 48, 64, 128, 256})
        saved = save(icon(size), folder, QStringLiteral("tarvelo-%1.png").arg(size)) && saved;
    return saved ? 0 : 1;
}
