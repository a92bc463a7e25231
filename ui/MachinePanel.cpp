#include "ui/MachinePanel.h"

#include <QResizeEvent>

namespace {

constexpr int BottomHeight = 0;

// Places `top` along the upper edge of `panel` and `bottom` along its lower
// edge, each over its share of the panel's height cut to whole pixels.
void split(const QWidget* panel, QWidget* top, double topShare, QWidget* bottom, double bottomShare)
{
    const int width = panel->width();
    const int height = panel->height();
    const int bottomHeight = int(height * bottomShare);
    if (top)
        top->setGeometry(0, 0, width, int(height * topShare));
    if (bottom)
        bottom->setGeometry(0, height - bottomHeight, width, bottomHeight);
}

}  // namespace

MachinePanel::MachinePanel(QWidget* parent)
    : QWidget(parent), bottom_(new QWidget(this)), left_(new QWidget(this)), right_(new QWidget(this))
{
    setObjectName("mainPanel");
    bottom_->setObjectName("bottomPanel");
    left_->setObjectName("leftPanel");
    right_->setObjectName("rightPanel");
}

void MachinePanel::setGroups(QWidget* statistics, QWidget* parameters, QWidget* sleepHours, QWidget* comments)
{
    statistics_ = statistics;
    parameters_ = parameters;
    sleepHours_ = sleepHours;
    comments_ = comments;
    for (QWidget* group : {statistics, parameters})
        group->setParent(left_);
    for (QWidget* group : {sleepHours, comments})
        group->setParent(right_);
    placePanels();
}

void MachinePanel::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    placePanels();
}

void MachinePanel::placePanels()
{
    const int w = width();
    const int h = height() - BottomHeight;
    bottom_->setGeometry(0, h, w, BottomHeight);
    left_->setGeometry(0, 0, w / 3, h);
    // The right panel keeps to the right edge; what integer division leaves
    // over stays between the two.
    right_->setGeometry(w - 2 * w / 3, 0, 2 * w / 3, h);
    split(left_, statistics_, 0.33, parameters_, 0.67);
    split(right_, sleepHours_, 0.6, comments_, 0.4);
}
