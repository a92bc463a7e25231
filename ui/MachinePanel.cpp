#include "ui/MachinePanel.h"

#include <QEvent>
#include <QResizeEvent>

#include <algorithm>
#include <cmath>
#include <initializer_list>

namespace {

constexpr int BottomHeight = 0;
constexpr double StatisticsShare = 0.33, ParametersShare = 0.67, SleepHoursShare = 0.6, CommentsShare = 0.4;

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

// The height a group needs at that width.
int neededHeight(const QWidget* group, int width)
{
    if (!group)
        return 0;
    const int least = group->minimumSizeHint().height();
    return group->hasHeightForWidth() ? std::max(least, group->heightForWidth(width)) : least;
}

int neededWidth(const QWidget* group)
{
    return group ? group->minimumSizeHint().width() : 0;
}

}  // namespace

MachinePanel::MachinePanel(QWidget* parent)
    : QWidget(parent), bottom_(new QWidget(this)), left_(new QWidget(this)), right_(new QWidget(this))
{
    setObjectName("mainPanel");
    bottom_->setObjectName("bottomPanel");
    left_->setObjectName("leftPanel");
    right_->setObjectName("rightPanel");
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
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
    // A group whose needs change (the comments' warning shows) asks for room again.
    for (QWidget* group : {statistics, parameters, sleepHours, comments})
        group->installEventFilter(this);
    updateGeometry();
    placePanels();
}

int MachinePanel::lengthForShare(int need, double share)
{
    if (need <= 0)
        return 0;
    int length = int(std::ceil(need / share));
    while (int(length * share) < need)
        ++length;
    return length;
}

int MachinePanel::minimumWidth() const
{
    const int left = std::max(neededWidth(statistics_), neededWidth(parameters_));
    const int right = std::max(neededWidth(sleepHours_), neededWidth(comments_));
    int width = std::max(3 * left, (3 * right + 1) / 2);
    while (width / 3 < left || 2 * width / 3 < right)
        ++width;
    return width;
}

int MachinePanel::heightForWidth(int width) const
{
    const int left = width / 3, right = 2 * width / 3;
    const int height = std::max({lengthForShare(neededHeight(statistics_, left), StatisticsShare),
                                 lengthForShare(neededHeight(parameters_, left), ParametersShare),
                                 lengthForShare(neededHeight(sleepHours_, right), SleepHoursShare),
                                 lengthForShare(neededHeight(comments_, right), CommentsShare)});
    return height + BottomHeight;
}

QSize MachinePanel::minimumSizeHint() const
{
    // The least height is the one at a generous width, where no line wraps;
    // heightForWidth gives the height a narrower width needs.
    const int width = minimumWidth();
    return {width, heightForWidth(std::max(width, sizeHint().width()))};
}

QSize MachinePanel::sizeHint() const
{
    // The width at which the parameter lines stand on one line each.
    const int natural = parameters_ ? parameters_->sizeHint().width() : 0;
    const int width = std::max(minimumWidth(), 3 * natural);
    return {width, heightForWidth(width)};
}

void MachinePanel::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    placePanels();
}

bool MachinePanel::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::LayoutRequest && watched->isWidgetType()) {
        updateGeometry();
        placePanels();
    }
    return QWidget::eventFilter(watched, event);
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
    split(left_, statistics_, StatisticsShare, parameters_, ParametersShare);
    split(right_, sleepHours_, SleepHoursShare, comments_, CommentsShare);
}
