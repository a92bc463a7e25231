#include "Component/MowerTypes.h"
#include "ui/TypePictures.h"

#include <QImage>
#include <QtTest>

#include <cmath>
#include <string>
#include <vector>

namespace {

// The mean colour of a picture's drawing, leaving out its white ground.
QColor drawingColour(const QPixmap& picture)
{
    const QImage image = picture.toImage().convertToFormat(QImage::Format_RGB32);
    double r = 0, g = 0, b = 0;
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.lightness() > 235)
                continue;
            r += c.red();
            g += c.green();
            b += c.blue();
            ++count;
        }
    if (count == 0)
        return QColor();
    return QColor(int(r / count), int(g / count), int(b / count));
}

double distance(const QColor& a, const QColor& b)
{
    return std::hypot(a.red() - b.red(), a.green() - b.green(), a.blue() - b.blue());
}

std::vector<std::string_view> tablePictures()
{
    std::vector<std::string_view> names;
    for (const MowerType& type : mowerTypes())
        if (std::find(names.begin(), names.end(), type.picture) == names.end())
            names.push_back(type.picture);
    return names;
}

}  // namespace

class TestTypePictures : public QObject {
    Q_OBJECT

private slots:
    void everyTypeHasItsPictureAtTheTableSizeOnAWhiteGround()
    {
        for (const MowerType& type : mowerTypes()) {
            const QString name = QString::fromUtf8(type.picture.data(), qsizetype(type.picture.size()));
            const QPixmap& picture = typePicture(type.picture);
            QVERIFY2(!picture.isNull(), qPrintable(name));
            QCOMPARE(picture.size(), QSize(type.pictureSize, type.pictureSize));
            // The tile draws the picture on white: its corners are white, and
            // there is a drawing on it.
            const QImage image = picture.toImage();
            const int last = type.pictureSize - 1;
            for (const QPoint corner : {QPoint(0, 0), QPoint(last, 0), QPoint(0, last), QPoint(last, last)})
                QVERIFY2(image.pixelColor(corner) == QColor(Qt::white), qPrintable(name));
            QVERIFY2(drawingColour(picture).isValid(), qPrintable(name));
        }
    }

    void aPictureIsLoadedOnceAndShared()
    {
        const QPixmap& first = typePicture("TXR");
        const QPixmap& second = typePicture(std::string("TXR"));
        QCOMPARE(&first, &second);
        QCOMPARE(first.cacheKey(), second.cacheKey());
        QVERIFY(&typePicture("RA") != &first);
    }

    void emptyAndUnknownNamesGiveANullPicture()
    {
        QVERIFY(typePicture("").isNull());
        QVERIFY(typePicture("XX").isNull());
        QVERIFY(typePicture("ra").isNull());
        QVERIFY(typePicture("RA.png").isNull());
        // The toolbar images lie beside the type pictures but are none of them.
        QVERIFY(typePicture("upgrade").isNull());
        QVERIFY(typePicture("loadhistory").isNull());
    }

    void theLargePictureLeavesTheCaptionBandLight()
    {
        const QImage image = typePicture("LN").toImage();
        QCOMPARE(image.size(), QSize(80, 80));
        bool drawnAbove = false;
        for (int y = 0; y < 50; ++y)
            for (int x = 0; x < image.width(); ++x)
                drawnAbove = drawnAbove || image.pixelColor(x, y).lightness() < 128;
        QVERIFY(drawnAbove);
        for (int y = 50; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                QVERIFY2(image.pixelColor(x, y).lightness() > 200,
                         qPrintable(QString("pixel %1,%2").arg(x).arg(y)));
    }

    void theModelsAreToldApartByColour()
    {
        const std::vector<std::string_view> names = tablePictures();
        QCOMPARE(names.size(), std::size_t(7));
        std::vector<QColor> colours;
        for (std::string_view name : names)
            colours.push_back(drawingColour(typePicture(name)));
        for (std::size_t i = 0; i < names.size(); ++i)
            for (std::size_t j = i + 1; j < names.size(); ++j)
                QVERIFY2(distance(colours[i], colours[j]) > 40,
                         qPrintable(QString("%1 and %2: %3 against %4")
                                        .arg(QString::fromUtf8(names[i].data(), qsizetype(names[i].size())),
                                             QString::fromUtf8(names[j].data(), qsizetype(names[j].size())),
                                             colours[i].name(), colours[j].name())));
    }

    void theToolbarImagesAreThereAt24()
    {
        for (const QIcon& icon : {upgradeIcon(), loadHistoryIcon()}) {
            QVERIFY(!icon.isNull());
            QVERIFY(icon.availableSizes().contains(QSize(24, 24)));
            const QImage image = icon.pixmap(QSize(24, 24)).toImage();
            QCOMPARE(image.size(), QSize(24, 24));
            // Drawn on a transparent ground, for any toolbar colour.
            QVERIFY(image.hasAlphaChannel());
            QCOMPARE(image.pixelColor(0, 0).alpha(), 0);
            int opaque = 0;
            for (int y = 0; y < 24; ++y)
                for (int x = 0; x < 24; ++x)
                    opaque += image.pixelColor(x, y).alpha() == 255;
            QVERIFY(opaque > 24 * 24 / 5);
        }
        QVERIFY(upgradeIcon().pixmap(QSize(24, 24)).toImage() != loadHistoryIcon().pixmap(QSize(24, 24)).toImage());
    }
};

QTEST_MAIN(TestTypePictures)
#include "test_typepictures.moc"
