#pragma once

#include <QTableView>

class EventTableModel;
class TVXLog;

// The "History" sheet of a history tab: the event list under a raised title
// row. Column 0 (the event number) is kept but not shown. Sizes are set once
// when the grid is made; nothing is measured from the contents.
class THistGrid : public QTableView {
    Q_OBJECT
public:
    THistGrid(const TVXLog& history, QWidget* parent);

    EventTableModel* eventModel() const { return model_; }

private:
    EventTableModel* model_;
};
