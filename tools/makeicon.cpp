// Draws the game's icon and writes it from the same image: a PNG with only the IHDR, IDAT and IEND
// chunks, a Windows icon holding one 256 x 256 32-bit bitmap with its mask, and the smaller PNGs
// that desktops ask for, <size>.png in the icon folder. The web page's larger icons,
// icon-<size>.png in the page's folder, are drawn anew at their size on the page's background,
// within the circle that a launcher's mask always keeps.
// Usage: kubrisk_makeicon <png path> <ico path> <icon folder> <page folder>

#include <QBuffer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QtEndian>

#include <cmath>
#include <cstdio>

namespace {

constexpr int kSize = 256;
constexpr int kBlock = 50;
constexpr int kMargin = 3;
constexpr int kSmallerSizes[] = {16, 24, 32, 48, 64, 128};
constexpr int kPageSizes[] = {192, 512};
constexpr int kGrid = 5 * kBlock;
// The diameter of the circle that every launcher's mask keeps, as a fraction of the icon's side.
constexpr double kSafeZone = 0.8;
const QColor kPageBackground(0x20, 0x20, 0x20);

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

// The three pieces, in the kSize x kSize picture's coordinates.
void drawPieces(QPainter &painter)
{
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
}

QImage drawIcon()
{
    QImage image(kSize, kSize, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    drawPieces(painter);
    return image;
}

// The grid's corners are the pieces' outermost points: its square fits the mask's circle.
QImage drawMaskableIcon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(kPageBackground);
    QPainter painter(&image);
    painter.translate(size / 2.0, size / 2.0);
    painter.scale(kSafeZone * size / std::sqrt(2.0) / kGrid,
                  kSafeZone * size / std::sqrt(2.0) / kGrid);
    painter.translate(-kSize / 2.0, -kSize / 2.0);
    drawPieces(painter);
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

bool writePng(const QString &path, const QImage &image)
{
    QFile png(path);
    if (png.open(QIODevice::WriteOnly) && png.write(essentialPng(image)) >= 0 && png.flush())
        return true;
    std::fprintf(stderr, "cannot write %s\n", qUtf8Printable(path));
    return false;
}

// Each pixel of a smaller icon averages the area of the large one that it covers; averaging
// premultiplied pixels keeps transparent ones from darkening the edges.
QImage downscaled(const QImage &icon, int size)
{
    return icon.convertToFormat(QImage::Format_ARGB32_Premultiplied)
            .scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
            .convertToFormat(QImage::Format_ARGB32);
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s <png path> <ico path> <icon folder> <page folder>\n",
                     argv[0]);
        return 2;
    }
    const QImage icon = drawIcon();
    if (!writePng(QString::fromLocal8Bit(argv[1]), icon))
        return 1;
    if (!icon.save(QString::fromLocal8Bit(argv[2]), "ICO")) {
        std::fprintf(stderr, "cannot write %s\n", argv[2]);
        return 1;
    }
    for (int size : kSmallerSizes) {
        const QString path
                = QStringLiteral("%1/%2.png").arg(QString::fromLocal8Bit(argv[3])).arg(size);
        if (!writePng(path, downscaled(icon, size)))
            return 1;
    }
    for (int size : kPageSizes) {
        const QString path
                = QStringLiteral("%1/icon-%2.png").arg(QString::fromLocal8Bit(argv[4])).arg(size);
        if (!writePng(path, drawMaskableIcon(size)))
            return 1;
    }
    return 0;
}
