#pragma once

#include <QTableView>

class EventTableModel;
class TVXLog;

// The "History" sheet of a history tab: the event list under a raised title
// row. Column 0 (the event number) is kept but not shown. Sizes are set once
// when the grid is made: each column at least its designed width, and as wide
// as its widest text.
class THistGrid : public QTableView {
    Q_OBJECT
public:
    THistGrid(const TVXLog& history, QWidget* parent);

    EventTableModel* eventModel() const { return model_; }

private:
    void fitColumns();

    EventTableModel* model_;
};
