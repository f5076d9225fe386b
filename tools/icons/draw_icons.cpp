// Draws the two activity icons of the console as single-image Windows .ICO files:
// MISC13.ICO, a quiet loudspeaker (the module is idle), and MISC15.ICO, a loudspeaker
// sending out sound waves (the module is speaking). Both are 24 x 24 pixels so they fit
// the 25 x 25 picture box whole.
//
// With --hicolor it draws the application icon instead: the idle loudspeaker scaled to each
// size given, as OUTPUT_FOLDER/<n>x<n>/apps/parlino.png of a freedesktop icon theme. With
// --windows it draws the same sizes into one .ico file, the Windows programs' icon resource.
//
//   draw_icons OUTPUT_FOLDER
//   draw_icons --hicolor OUTPUT_FOLDER SIZE...
//   draw_icons --windows ICO_FILE SIZE...
#include "ico_file.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>

namespace {

constexpr int iconSize = 24;

void drawSpeaker(QPainter &painter, const QColor &body)
{
    QPainterPath cone;
    cone.moveTo(3, 9);
    cone.lineTo(7, 9);
    cone.lineTo(13, 4);
    cone.lineTo(13, 20);
    cone.lineTo(7, 15);
    cone.lineTo(3, 15);
    cone.closeSubpath();
    painter.setPen(QPen(QColor(40, 40, 40), 1.2));
    painter.setBrush(body);
    painter.drawPath(cone);
}

// The idle icon drawn at size x size pixels; the drawing is laid out on a 24 x 24 grid.
QImage idleIcon(int size = iconSize)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    if (size != iconSize)
        painter.scale(double(size) / iconSize, double(size) / iconSize);
    drawSpeaker(painter, QColor(150, 150, 150));
    // A short dash beside the cone: nothing is being said.
    painter.setPen(QPen(QColor(110, 110, 110), 2, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(16.5, 12), QPointF(20.5, 12));
    return image;
}

QImage speakingIcon()
{
    QImage image(iconSize, iconSize, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    drawSpeaker(painter, QColor(255, 170, 0));
    // Two sound waves leaving the cone.
    painter.setPen(QPen(QColor(0, 140, 60), 2, Qt::SolidLine, Qt::RoundCap));
    painter.setBrush(Qt::NoBrush);
    painter.drawArc(QRectF(10, 7, 8, 10), -50 * 16, 100 * 16);
    painter.drawArc(QRectF(10, 3, 13, 18), -55 * 16, 110 * 16);
    return image;
}

bool writeThemeIcons(const QString &folder, const QStringList &sizes)
{
    for (const QString &sizeText : sizes) {
        const int size = sizeText.toInt();
        if (size < 1 || size > 1024)
            return false;
        const QString sizeFolder = QStringLiteral("%1/%2x%2/apps").arg(folder).arg(size);
        if (!QDir().mkpath(sizeFolder)
            || !idleIcon(size).save(sizeFolder + QStringLiteral("/parlino.png"), "PNG"))
            return false;
    }
    return true;
}

bool writeWindowsIcon(const QString &path, const QStringList &sizes)
{
    QList<QImage> images;
    for (const QString &sizeText : sizes) {
        const int size = sizeText.toInt();
        if (size < 1 || size > 256)
            return false;
        images.append(idleIcon(size));
    }
    QFile file(path);
    const QByteArray bytes = multiImageIco(images);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    const QStringList arguments = app.arguments().mid(1);
    const bool hicolor = arguments.size() >= 3 && arguments[0] == QLatin1String("--hicolor");
    const bool windows = arguments.size() >= 3 && arguments[0] == QLatin1String("--windows");
    if (arguments.size() != 1 && !hicolor && !windows) {
        std::fprintf(stderr,
                     "usage: draw_icons OUTPUT_FOLDER\n"
                     "       draw_icons --hicolor OUTPUT_FOLDER SIZE...\n"
                     "       draw_icons --windows ICO_FILE SIZE...\n");
        return 64;
    }
    if (windows) {
        if (writeWindowsIcon(arguments[1], arguments.mid(2)))
            return 0;
        std::fprintf(stderr, "draw_icons: cannot write the icon %s\n", argv[2]);
        return 1;
    }
    if (hicolor) {
        if (writeThemeIcons(arguments[1], arguments.mid(2)))
            return 0;
        std::fprintf(stderr, "draw_icons: cannot write the icons into %s\n", argv[2]);
        return 1;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const bool written = idleIcon().save(folder + QStringLiteral("/MISC13.ICO"), "ICO")
                         && speakingIcon().save(folder + QStringLiteral("/MISC15.ICO"), "ICO");
    if (!written) {
        std::fprintf(stderr, "draw_icons: cannot write the icons into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
