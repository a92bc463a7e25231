// Build-time helper: renders one hand-drawn SVG picture into the PNG the
// application compiles in. The picture's size is the one its SVG declares
// (width and height, square); the type pictures get an opaque white ground,
// the toolbar images keep their transparency.
//
//   render_pictures (--opaque | --transparent) IN.svg OUT.png

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc != 4 || (std::strcmp(argv[1], "--opaque") != 0 && std::strcmp(argv[1], "--transparent") != 0)) {
        std::fprintf(stderr, "usage: render_pictures (--opaque | --transparent) IN.svg OUT.png\n");
        return 2;
    }
    const bool opaque = std::strcmp(argv[1], "--opaque") == 0;
    const QString in = QString::fromLocal8Bit(argv[2]);
    const QString out = QString::fromLocal8Bit(argv[3]);

    // No display at build time.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    QSvgRenderer svg(in);
    if (!svg.isValid()) {
        std::fprintf(stderr, "render_pictures: %s is not a readable SVG picture\n", argv[2]);
        return 1;
    }
    const QSize size = svg.defaultSize();
    if (size.isEmpty() || size.width() != size.height()) {
        std::fprintf(stderr, "render_pictures: %s must declare a square size, not %dx%d\n", argv[2],
                     size.width(), size.height());
        return 1;
    }

    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(opaque ? Qt::white : Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        svg.render(&painter, QRectF(QPointF(0, 0), size));
    }
    // Without alpha the PNG is plain 24-bit colour.
    const QImage result = opaque ? image.convertToFormat(QImage::Format_RGB32) : image;
    if (!result.save(out, "PNG")) {
        std::fprintf(stderr, "render_pictures: cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}
