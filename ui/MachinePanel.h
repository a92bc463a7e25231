#pragma once

#include <QWidget>

// The main panel of the "Machine information" sheet. It keeps its panels in
// fixed proportions: an empty bottom panel, a left panel of a third of the
// width with the statistics above (0.33 of its height) and the parameters and
// options at the bottom (0.67), and a right panel of two thirds with the sleep
// hours above (0.6) and the comments at the bottom (0.4). The tab makes the
// four groups; the panel places them on every resize.
//
// The panel asks for the size at which each group gets at least the room its
// contents need (minimumSizeHint, and heightForWidth for a group whose lines
// wrap); the sheet scrolls below that size, so that a group never has to cut
// or scroll its contents.
class MachinePanel : public QWidget {
    Q_OBJECT
public:
    explicit MachinePanel(QWidget* parent);

    QWidget* leftPanel() const { return left_; }
    QWidget* rightPanel() const { return right_; }
    // Each group becomes a child of its side panel.
    void setGroups(QWidget* statistics, QWidget* parameters, QWidget* sleepHours, QWidget* comments);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

    // The smallest whole length of which int(length * share) is at least `need`.
    static int lengthForShare(int need, double share);

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void placePanels();
    int minimumWidth() const;

    QWidget* bottom_;
    QWidget* left_;
    QWidget* right_;
    QWidget* statistics_ = nullptr;
    QWidget* parameters_ = nullptr;
    QWidget* sleepHours_ = nullptr;
    QWidget* comments_ = nullptr;
};
