#include "ui/MowerSearchBar.h"

#include "core/AppTexts.h"
#include "core/TVXStringTable.h"

#include <QAction>
#include <QCheckBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>

namespace {

// The locale whose digit grouping matches the catalogue's language.
QLocale languageLocale()
{
    static const QLocale::Language languages[] = {QLocale::English, QLocale::French, QLocale::Italian,
                                                  QLocale::Dutch, QLocale::German};
    const unsigned index = TVXStringTable::instance().getLanguage();
    return QLocale(index < std::size(languages) ? languages[index] : QLocale::English);
}

}  // namespace

MowerSearchBar::MowerSearchBar(QWidget* parent)
    : QWidget(parent)
{
    setObjectName("mowerSearchBar");
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(2, 2, 2, 2);
    grid->setVerticalSpacing(2);
    edit_ = new QLineEdit(this);
    edit_->setObjectName("searchEdit");
    edit_->setClearButtonEnabled(true);
    edit_->installEventFilter(this);
    alarms_ = new QCheckBox(this);
    alarms_->setObjectName("alarmsOnlyCheckBox");
    count_ = new QLabel(this);
    count_->setObjectName("searchCountLabel");
    count_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    grid->addWidget(edit_, 0, 0, 1, 2);
    grid->addWidget(alarms_, 1, 0);
    grid->addWidget(count_, 1, 1);
    grid->setColumnStretch(1, 1);

    // The Find key anywhere in the window.
    auto* find = new QAction(this);
    find->setObjectName("findAction");
    find->setShortcut(QKeySequence::Find);
    find->setShortcutContext(Qt::WindowShortcut);
    connect(find, &QAction::triggered, this, [this]() {
        edit_->setFocus(Qt::ShortcutFocusReason);
        edit_->selectAll();
    });
    addAction(find);

    connect(edit_, &QLineEdit::textChanged, this, [this](const QString& text) {
        emit filterChanged(text, alarms_->isChecked());
    });
    connect(alarms_, &QCheckBox::toggled, this, [this](bool on) { emit filterChanged(edit_->text(), on); });
    setCaptions();
}

void MowerSearchBar::setCaptions()
{
    edit_->setPlaceholderText(QString::fromStdString(appText(AppText::FindMower)));
    alarms_->setText(QString::fromStdString(appText(AppText::WithAlarms)));
    showCount();
}

void MowerSearchBar::setCount(std::size_t shown, std::size_t total)
{
    shown_ = shown;
    total_ = total;
    showCount();
}

void MowerSearchBar::showCount()
{
    const QLocale locale = languageLocale();
    count_->setText(QString::fromStdString(appText(AppText::ShownOfTotal))
                        .arg(locale.toString(static_cast<qulonglong>(shown_)),
                             locale.toString(static_cast<qulonglong>(total_))));
}

QString MowerSearchBar::text() const
{
    return edit_->text();
}

bool MowerSearchBar::alarmsOnly() const
{
    return alarms_->isChecked();
}

bool MowerSearchBar::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == edit_ && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape && !edit_->text().isEmpty()) {
        edit_->clear();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
