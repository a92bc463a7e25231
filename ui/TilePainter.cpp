#include "ui/TilePainter.h"

#include "Class/TVXMowerLog.h"
#include "Component/MowerTypes.h"
#include "Component/TDBMower.h"
#include "ui/TypePictures.h"

#include <QPainter>

namespace {

// Arial's metrics, so that captions take the same room on every machine.
QFont captionFont()
{
    QFont font(QStringLiteral("Liberation Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(8);
    return font;
}

}  // namespace

TilePainter::TilePainter()
    : font_(captionFont()), metrics_(font_)
{
}

void TilePainter::paint(QPainter& painter, const TDBMower& mower, const QPoint& origin) const
{
    const int size = TDBMower::TileSize;
    painter.fillRect(QRect(origin.x(), origin.y() + BandTop, BandRight, size - BandTop), Qt::white);

    if (const MowerType* type = findMowerType(mower.GetTypeCode())) {
        const QPixmap& picture = typePicture(type->picture);
        if (!picture.isNull())
            painter.drawPixmap(origin, picture);
    }

    painter.setFont(font_);
    painter.setPen(Qt::black);
    const std::string* lines[3] = {&mower.GetNameText(), &mower.GetMachineIdText(), &mower.GetSerialText()};
    for (int i = 0; i < 3; ++i) {
        const int width = size - LineX[i];
        // A name longer than the tile ends in an ellipsis rather than being cut mid-letter.
        const QString text = metrics_.elidedText(QString::fromStdString(*lines[i]), Qt::ElideRight, width);
        painter.drawText(QRect(origin.x() + LineX[i], origin.y() + LineY[i], width, metrics_.height()),
                         Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
    }
}
