#include "ui/ParameterLines.h"

#include "Class/HistoryRender.h"
#include "Class/TVXLog.h"
#include "ui/GridFit.h"

#include <QLabel>
#include <QResizeEvent>

#include <algorithm>

namespace {

constexpr int Left = 10, Top = 20, Step = 18, Gap = 10, ValueLeft = 160;
// Between a name and its value, and after the widest line.
constexpr int ValueSpace = 8, RightSpace = 4;
int naturalWidth(const QLabel* label, const QString& text)
{
    return textWidth(label->font(), text);
}

int widestWord(const QLabel* label)
{
    int widest = 0;
    for (const QString& word : label->text().split(QLatin1Char(' '), Qt::SkipEmptyParts))
        widest = std::max(widest, naturalWidth(label, word));
    return widest;
}

}  // namespace

ParameterLines::ParameterLines(const TVXLog& history, QPoint corner, QWidget* parent)
    : QWidget(parent), corner_(corner)
{
    setObjectName("parameterLines");
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);

    const auto information = informationLines(history);
    for (int k = 0; k < InformationLineCount; ++k) {
        Line line;
        line.label = makeLabel(QString::fromStdString(information[k]), QString("informationLine%1").arg(k));
        line.gapAfter = k == InfoLanguage || k == InfoP007 ? Gap : 0;  // P007 keeps its place when empty
        lines_.push_back(line);
    }
    const std::vector<OptionLine> options = optionLines(history);
    for (std::size_t k = 0; k < options.size(); ++k) {
        Line line;
        line.label = makeLabel(QString::fromStdString(options[k].text), QString("optionName%1").arg(k));
        line.value = makeLabel(QString::fromStdString(options[k].value), QString("optionValue%1").arg(k));
        valueWidth_ = std::max(valueWidth_, naturalWidth(line.value, line.value->text()));
        lines_.push_back(line);
    }
}

QLabel* ParameterLines::makeLabel(const QString& text, const QString& name)
{
    auto* label = new QLabel(text, this);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    return label;
}

QSize ParameterLines::sizeHint() const
{
    const int left = corner_.x() + Left;
    int width = 0;
    int widestName = 0;
    for (const Line& line : lines_) {
        const int natural = naturalWidth(line.label, line.label->text());
        if (line.value)
            widestName = std::max(widestName, natural);
        else
            width = std::max(width, left + natural);
    }
    if (valueWidth_ > 0)
        width = std::max(width, std::max(corner_.x() + ValueLeft, left + widestName + ValueSpace) + valueWidth_);
    width += RightSpace;
    return {width, arrange(width, false)};
}

QSize ParameterLines::minimumSizeHint() const
{
    const int left = corner_.x() + Left;
    int width = 0;
    for (const Line& line : lines_)
        width = std::max(width, left + widestWord(line.label) + (line.value ? ValueSpace + valueWidth_ : 0));
    const QSize natural = sizeHint();
    return {std::min(width + RightSpace, natural.width()), natural.height()};
}

int ParameterLines::heightForWidth(int width) const
{
    return arrange(width, false);
}

void ParameterLines::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    arrange(width(), true);
}

int ParameterLines::arrange(int width, bool apply) const
{
    const int left = corner_.x() + Left;
    const int right = width - RightSpace;
    int widestName = 0;
    for (const Line& line : lines_)
        if (line.value)
            widestName = std::max(widestName, naturalWidth(line.label, line.label->text()));
    // The values stand in one column: at x = 160 or past the widest name
    // where the group is wide enough, against its right edge where not.
    int valueLeft = std::max(corner_.x() + ValueLeft, left + widestName + ValueSpace);
    if (valueLeft + valueWidth_ > right)
        valueLeft = std::max(left + ValueSpace, right - valueWidth_);

    int y = corner_.y() + Top;
    for (const Line& line : lines_) {
        const int room = std::max(1, (line.value ? valueLeft - ValueSpace : right) - left);
        const int natural = naturalWidth(line.label, line.label->text());
        const int oneLine = line.label->fontMetrics().height();
        const int labelWidth = std::max(1, std::min(natural, room));
        const int height = natural <= room ? oneLine : std::max(oneLine, line.label->heightForWidth(labelWidth));
        if (apply) {
            line.label->setGeometry(left, y, labelWidth, height);
            if (line.value)
                line.value->setGeometry(valueLeft, y, std::max(1, valueWidth_), oneLine);
        }
        y += Step + (height - oneLine) + line.gapAfter;
    }
    return y;
}
