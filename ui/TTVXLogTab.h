#pragma once

#include <QString>
#include <QWidget>

#include <string>

class CommentMemo;
class MachinePanel;
class QScrollArea;
class QGroupBox;
class QLabel;
class QTabWidget;
class TVXLog;
class TVXLogTime;

// One history of a record, on one tab page of the record window: machine
// information, events and system parameters, each on a sheet of its own. The
// tab only shows the history; the comment it lets the dealer edit is stored by
// the window, which asks commentText() for it.
class TTVXLogTab : public QWidget {
    Q_OBJECT
public:
    // Cheap: builds nothing until first shown (a record of 50 histories opens with one tab built).
    TTVXLogTab(TVXLog& history, QWidget* parent);

    TVXLog& history() const { return history_; }
    const TVXLogTime& date() const;
    // historyTitle(date), e.g. "07/05/2008 14 h 05": the tab's caption.
    QString title() const;
    bool isBuilt() const { return pages_ != nullptr; }
    // Builds the contents now (showEvent calls it).
    void ensureBuilt();
    // The memo in stored form: each line followed by CR LF (commentFromMemoText);
    // the history's own comment, byte for byte, while the memo shows it
    // unchanged or the tab was never built.
    std::string commentText() const;
    // The memo's text went into the history: it counts as untouched again.
    void commentStored();
    // Shows the history's comment as it is now, unless the dealer changed the
    // memo since it was last stored: false then (his text stays).
    bool refreshComment();

    // The room the "Machine information" sheet has now, and the room at
    // which every group shows its contents whole without the sheet
    // scrolling. Empty while the tab is not built.
    QSize machineSheetRoom() const;
    QSize machineSheetNeed() const;

signals:
    // The memo lost focus after a change: the window stores it.
    void commentEditingFinished();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* machinePage();
    QGroupBox* statisticsGroup();
    QGroupBox* parametersGroup();
    QGroupBox* sleepHoursGroup();
    QGroupBox* commentsGroup();
    QWidget* systemParametersPage();

    TVXLog& history_;
    QTabWidget* pages_ = nullptr;
    QScrollArea* machineScroll_ = nullptr;
    MachinePanel* machinePanel_ = nullptr;
    CommentMemo* memo_ = nullptr;
    QLabel* warning_ = nullptr;
};
