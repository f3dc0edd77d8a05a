// Draws the game's icon and writes it twice from the same image: a PNG with only the IHDR, IDAT
// and IEND chunks, and a Windows icon holding one 256 x 256 32-bit bitmap with its mask.
// Usage: kubrisk_makeicon <png path> <ico path>

#include <QBuffer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QtEndian>

#include <cstdio>

namespace {

constexpr int kSize = 256;
constexpr int kBlock = 50;
constexpr int kMargin = 3;

struct Piece
{
    QColor colour;
    QVector<QPoint> blocks; // grid cells, x column and y row, on a 5 x 5 grid
};

void drawBlock(QPainter &painter, QPoint cell, const QColor &colour)
{
    const QRectF box(kMargin + cell.x() * kBlock + 1, kMargin + cell.y() * kBlock + 1, kBlock - 2,
                     kBlock - 2);
    QLinearGradient body(box.topLeft(), box.bottomLeft());
    body.setColorAt(0, colour.lighter(150));
    body.setColorAt(0.5, colour);
    body.setColorAt(1, colour.darker(140));
    painter.setPen(QPen(colour.darker(200), 2));
    painter.setBrush(body);
    painter.drawRoundedRect(box.adjusted(1, 1, -1, -1), 7, 7);

    // The gloss: a soft white band over the upper half.
    const QRectF shine = box.adjusted(6, 5, -6, -box.height() / 2);
    QLinearGradient gloss(shine.topLeft(), shine.bottomLeft());
    gloss.setColorAt(0, QColor(255, 255, 255, 190));
    gloss.setColorAt(1, QColor(255, 255, 255, 30));
    painter.setPen(Qt::NoPen);
    painter.setBrush(gloss);
    painter.drawRoundedRect(shine, 5, 5);
}

QImage drawIcon()
{
    QImage image(kSize, kSize, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const QVector<Piece> pieces{
            {QColor(0x57, 0x09, 0xA8), {{0, 4}, {1, 4}, {2, 4}, {1, 3}}}, // T form at rest
            {QColor(0xF0, 0x8A, 0x12), {{3, 4}, {4, 4}, {4, 3}, {4, 2}}}, // L form at rest
            {QColor(0x1F, 0xB5, 0x4A), {{2, 0}, {3, 0}, {1, 1}, {2, 1}}}, // S form falling
    };
    for (const Piece &piece : pieces) {
        for (QPoint cell : piece.blocks)
            drawBlock(painter, cell, piece.colour);
    }
    return image;
}

// Qt adds a pHYs chunk (and possibly text); keep only the chunks that carry the image.
QByteArray essentialPng(const QImage &image)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");

    QByteArray kept = png.left(8); // the signature
    for (int at = 8; at + 12 <= png.size();) {
        const int length = int(qFromBigEndian<quint32>(png.constData() + at));
        const QByteArray type = png.mid(at + 4, 4);
        if (type == "IHDR" || type == "IDAT" || type == "IEND")
            kept += png.mid(at, length + 12);
        at += length + 12;
    }
    return kept;
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <png path> <ico path>\n", argv[0]);
        return 2;
    }
    const QImage icon = drawIcon();
    QFile png(QString::fromLocal8Bit(argv[1]));
    if (!png.open(QIODevice::WriteOnly) || png.write(essentialPng(icon)) < 0 || !png.flush()) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    if (!icon.save(QString::fromLocal8Bit(argv[2]), "ICO")) {
        std::fprintf(stderr, "cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
