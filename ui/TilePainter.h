#pragma once

#include <QFont>
#include <QFontMetrics>

class QPainter;
class QPoint;
class TDBMower;

// Draws one record's tile: the type picture at the top left, under it from
// y = 50 a white band with the three caption lines (owner, machine
// identifier, serial number). Nothing is kept per tile; the pictures are
// shared per type.
class TilePainter {
public:
    TilePainter();
    void paint(QPainter& painter, const TDBMower& mower, const QPoint& origin) const;

    // The band and the three lines, in tile coordinates.
    static constexpr int BandTop = 50;
    static constexpr int BandRight = 100;
    static constexpr int LineX[3] = {0, 1, 1};
    static constexpr int LineY[3] = {50, 65, 80};

private:
    QFont font_;
    QFontMetrics metrics_;
};
