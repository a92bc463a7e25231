#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <QVariant>

#include <array>
#include <cstdint>
#include <vector>

class TVXLog;

// The events of a history as the history grid shows them: one row an event,
// oldest first, then four empty rows. The texts are made once, when the model
// is; data() only hands out what is already there.
class EventTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { NumberColumn, DateColumn, EventColumn, ExtraColumn, Fu1Column, Fu2Column, ColumnCount };
    // The event code of an event row (int); nothing on the empty rows.
    static constexpr int EventCodeRole = Qt::UserRole;
    static constexpr int EmptyRowCount = 4;

    EventTableModel(const TVXLog& history, QObject* parent);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    struct Row {
        std::array<QVariant, ColumnCount> cells;
        QVariant code;
        // The colour of the event cell, which is then italic too; null for
        // the codes shown plainly.
        const QVariant* brush = nullptr;
    };
    std::vector<Row> rows_;
    QVariant italic_;
    QVariant red_;
    QVariant blue_;
    QVariant green_;
};
