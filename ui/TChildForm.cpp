#include "ui/TChildForm.h"

#include "core/AppTexts.h"

#include "Class/TVXLogTime.h"
#include "Class/TVXMowerLog.h"
#include "Component/RecordWindowTexts.h"
#include "Component/ServiceReport.h"
#include "Component/TDBMower.h"
#include "Component/TDBMowerList.h"
#include "core/MessageNumbers.h"
#include "report/ServiceReportPdf.h"
#include "ui/ChangeHistoryDialog.h"
#include "ui/Mnemonics.h"
#include "ui/TTVXLogTab.h"
#include "ui/TchangeODataForm.h"
#include "ui/TrendsView.h"
#include "ui/UiTexts.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QScrollArea>
#include <QTabBar>
#include <QTabWidget>
#include <QStyle>
#include <QStyleOptionToolButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int GeneralInfoWidth = 185;
const QColor GeneralInfoColour(0xFF, 0xF8, 0xDC);  // cream
const char* const FullTextProperty = "fullText";

// A word wider than the column gets a break opportunity (a zero-width space)
// between its characters: a long e-mail address or street name then wraps
// like the rest instead of running out of the column. The text already
// breaks after a hyphen: a double name only gets them in a part that is too
// wide by itself.
QString breakable(const QString& value, const QFontMetrics& metrics, int width)
{
    const auto breakEverywhere = [](const QString& word) {
        QString broken;
        for (const QChar c : word) {
            if (!broken.isEmpty() && !c.isLowSurrogate() && !c.isMark())
                broken += QChar(0x200B);
            broken += c;
        }
        return broken;
    };
    QStringList lines = value.split(QLatin1Char('\n'));
    for (QString& line : lines) {
        QStringList words = line.split(QLatin1Char(' '));
        for (QString& word : words) {
            if (metrics.horizontalAdvance(word) <= width)
                continue;
            QString result;
            qsizetype start = 0;
            while (start < word.size()) {
                const qsizetype hyphen = word.indexOf(QLatin1Char('-'), start);
                const qsizetype end = hyphen < 0 ? word.size() : hyphen + 1;
                const QString part = word.mid(start, end - start);
                result += metrics.horizontalAdvance(part) <= width ? part : breakEverywhere(part);
                start = end;
            }
            word = result;
        }
        line = words.join(QLatin1Char(' '));
    }
    return lines.join(QLatin1Char('\n'));
}

// A tool button that opens its menu at once; the style draws the menu's
// arrow in its corner, which it gets room for beside the text.
class MenuToolButton : public QToolButton {
public:
    using QToolButton::QToolButton;
    QSize sizeHint() const override
    {
        QStyleOptionToolButton option;
        initStyleOption(&option);
        return QToolButton::sizeHint()
               + QSize(style()->pixelMetric(QStyle::PM_MenuButtonIndicator, &option, this) / 2, 0);
    }
};

// A group box of caption and value pairs, one under the other.
QVBoxLayout* pairsBox(QWidget* parent, const char* name, QGroupBox*& box)
{
    box = new QGroupBox(parent);
    box->setObjectName(name);
    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(6, 4, 6, 6);
    column->setSpacing(1);
    return column;
}

}  // namespace

TChildForm::TChildForm(TDBMower& mower, UserInteraction& user, QWidget* parent)
    : QWidget(parent), mower_(mower), user_(user)
{
    setObjectName("TChildForm");
    buildLayout();
    buildMenus();
    setCaptions();

    TVXMowerLog& record = mower_.GetMowerHandle();
    for (std::uint16_t i = 0; i < record.getLogCount(); ++i)
        addTab(*record.getLogAt(i).second, i);
    addTrendsTab(pages_, record);  // last, after every history; not a history itself
    if (historyTabCount(pages_) > 0)
        pages_->setCurrentIndex(historyTabCount(pages_) - 1);
    refreshGeneralInformation();
    updateActions();
}

TChildForm::~TChildForm()
{
    // The tabs go with the base class, after the entry may be gone: nothing
    // they say on their way out may reach it.
    for (int i = 0; i < historyTabCount(pages_); ++i)
        disconnect(tabAt(i), nullptr, this, nullptr);
}

void TChildForm::buildLayout()
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 2, 0, 0);
    row->setSpacing(3);
    row->addWidget(buildGeneralInformation());

    pages_ = new QTabWidget(this);
    pages_->setObjectName("MainLogPageControl");
    // The sheets of a history have their own frame: the page control draws none around them.
    pages_->setDocumentMode(true);
    pages_->setUsesScrollButtons(true);
    pages_->setElideMode(Qt::ElideNone);
    // Only the tabs themselves have a menu; nothing else of the page control
    // passes a context menu on to the window.
    pages_->setContextMenuPolicy(Qt::PreventContextMenu);
    pages_->tabBar()->installEventFilter(this);
    connect(pages_, &QTabWidget::currentChanged, this, &TChildForm::updateActions);
    row->addWidget(pages_, 1);

    // Every reading in one list, whatever the tab row shows of them.
    readings_ = new MenuToolButton(pages_);
    readings_->setObjectName("readingsButton");
    readings_->setPopupMode(QToolButton::InstantPopup);
    readings_->setToolButtonStyle(Qt::ToolButtonTextOnly);
    readings_->setAutoRaise(true);
    readingsMenu_ = new QMenu(readings_);
    readingsMenu_->setObjectName("readingsMenu");
    readingsMenu_->setToolTipsVisible(true);
    readings_->setMenu(readingsMenu_);
    connect(readingsMenu_, &QMenu::aboutToShow, this, &TChildForm::fillReadingsMenu);
    pages_->setCornerWidget(readings_, Qt::TopRightCorner);
}

void TChildForm::fillReadingsMenu()
{
    qDeleteAll(readingsMenu_->findChildren<QActionGroup*>());
    readingsMenu_->clear();
    // One of them is the one shown.
    auto* shown = new QActionGroup(readingsMenu_);
    const int current = pages_->currentIndex();
    auto add = [&](const QString& text, const QString& name, int index) {
        QAction* item = readingsMenu_->addAction(text);
        item->setObjectName(name);
        item->setToolTip(pages_->tabToolTip(index));
        item->setCheckable(true);
        item->setChecked(index == current);
        shown->addAction(item);
        QPointer<QWidget> page = pages_->widget(index);
        connect(item, &QAction::triggered, this, [this, page]() {
            if (page)
                pages_->setCurrentWidget(page);
        });
    };
    const int histories = historyTabCount(pages_);
    for (int i = 0; i < histories; ++i)
        add(QString::fromStdString(readingDateText(tabAt(i)->date())), QString("readingItem%1").arg(i), i);
    if (trendsTab(pages_)) {
        readingsMenu_->addSeparator();
        add(pages_->tabText(histories), "trendsItem", histories);
    }
}

QWidget* TChildForm::buildGeneralInformation()
{
    generalInfo_ = new QGroupBox(this);
    generalInfo_->setObjectName("GeneralInfoGroupBox");
    generalInfo_->setFixedWidth(GeneralInfoWidth);
    generalInfo_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    // The colours are set together, so that the texts stay dark on the cream
    // under any desktop theme; the boxes and labels inside draw no background.
    QPalette palette = generalInfo_->palette();
    palette.setColor(QPalette::Window, GeneralInfoColour);
    palette.setColor(QPalette::WindowText, Qt::black);
    palette.setColor(QPalette::Text, Qt::black);
    generalInfo_->setPalette(palette);
    generalInfo_->setAutoFillBackground(true);

    // The data scroll within the box when the window is too short for a long
    // address: nothing is cut off, and the window keeps a small minimum height.
    auto* frame = new QVBoxLayout(generalInfo_);
    frame->setContentsMargins(0, 0, 0, 0);
    auto* scroll = new QScrollArea(generalInfo_);
    scroll->setObjectName("generalInfoScroll");
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->viewport()->setAutoFillBackground(false);
    frame->addWidget(scroll);
    auto* contents = new QWidget(scroll);
    contents->setObjectName("generalInfoContents");
    auto* general = new QVBoxLayout(contents);
    general->setContentsMargins(4, 4, 4, 4);
    general->setSpacing(8);

    QVBoxLayout* client = pairsBox(contents, "clientRefGroupBox", clientRef_);
    name_ = addValue(client, "nameStaticText", nameCaption_, "ONameLabel");
    surname_ = addValue(client, "surnameStaticText", surnameCaption_, "OSurnameLabel");
    address_ = addValue(client, "adressStaticText", addressCaption_, "OAddressLabel");
    general->addWidget(clientRef_);

    QVBoxLayout* machine = pairsBox(contents, "machineInfoGroupBox", machineInfo_);
    machineNumber_ = addValue(machine, "MNBStaticText", machineNumberCaption_, "MNBLabel");
    serial_ = addValue(machine, "SNBStaticText", serialCaption_, "SNBLabel");
    software_ = addValue(machine, "softVerStaticText", softwareCaption_, "SoftVerLabel");
    bootloader_ = addValue(machine, "bootVerStaticText", bootloaderCaption_, "BootVerLabel");
    general->addWidget(machineInfo_);
    general->addStretch(1);
    scroll->setWidget(contents);
    return generalInfo_;
}

QLabel* TChildForm::addValue(QVBoxLayout* column, const char* captionName, QLabel*& caption,
                             const char* valueName)
{
    QWidget* box = column->parentWidget();
    // Neither label asks for the width of its longest word: the column's width
    // is fixed, and the texts wrap within it.
    caption = new QLabel(box);
    caption->setObjectName(captionName);
    caption->setWordWrap(true);
    caption->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    auto* value = new QLabel(box);
    value->setObjectName(valueName);
    value->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    // Owner texts are the dealer's: never read as markup.
    value->setTextFormat(Qt::PlainText);
    value->setWordWrap(true);
    value->setIndent(8);
    QFont bold = value->font();
    bold.setBold(true);
    value->setFont(bold);
    value->installEventFilter(this);
    if (column->count() > 0)
        column->addSpacing(4);
    column->addWidget(caption);
    column->addWidget(value);
    return value;
}

void TChildForm::buildMenus()
{
    editionMenu_ = new QMenu(this);
    editionMenu_->setObjectName("Outils1");
    changeOwnerData_ = editionMenu_->addAction(QString(), this, &TChildForm::changeOwnerDataClick);
    changeOwnerData_->setObjectName("changeOwnerData");
    editionMenu_->addSeparator();

    // One pair of actions for the pop-up and the menu: both act on the active
    // tab, and the pop-up makes the tab under the mouse the active one. No
    // shortcut on "Copy data": the copy keys belong to the memo's text.
    deleteLog_ = new QAction(this);
    deleteLog_->setObjectName("deleteLogMenuItem");
    connect(deleteLog_, &QAction::triggered, this, &TChildForm::deleteLogClick);
    copyData_ = new QAction(this);
    copyData_->setObjectName("copyDataMenuItem");
    connect(copyData_, &QAction::triggered, this, &TChildForm::copyDataClick);
    editionMenu_->addAction(deleteLog_);
    editionMenu_->addAction(copyData_);
    editionMenu_->addSeparator();
    serviceReport_ = editionMenu_->addAction(QString(), this, &TChildForm::serviceReportClick);
    serviceReport_->setObjectName("serviceReportMenuItem");
    printServiceReport_ = editionMenu_->addAction(QString(), this, &TChildForm::printServiceReportClick);
    printServiceReport_->setObjectName("printServiceReportMenuItem");
    printServiceReport_->setShortcut(QKeySequence::Print);
    printServiceReport_->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    addAction(printServiceReport_);
    editionMenu_->addSeparator();
    changeHistory_ = editionMenu_->addAction(QString(), this, &TChildForm::changeHistoryClick);
    changeHistory_->setObjectName("changeHistoryMenuItem");

    tabPopup_ = new QMenu(this);
    tabPopup_->setObjectName("logTabPopup");
    tabPopup_->addAction(deleteLog_);
    tabPopup_->addAction(copyData_);
}

void TChildForm::setCaptions()
{
    generalInfo_->setTitle(uiText(Msg::GeneralInformation));
    clientRef_->setTitle(uiText(Msg::CustomerReferences));
    nameCaption_->setText(uiText(Msg::FirstnameLabel));
    surnameCaption_->setText(uiText(Msg::LastnameLabel));
    addressCaption_->setText(uiText(Msg::AddressLabel));
    machineInfo_->setTitle(uiText(Msg::MachineInformation));
    machineNumberCaption_->setText(uiText(Msg::MachineNumberLabel));
    serialCaption_->setText(uiText(Msg::MachineSerialLabel));
    softwareCaption_->setText(uiText(Msg::VersionLabel));
    bootloaderCaption_->setText(uiText(Msg::BootloaderLabel));
    // The menu joins the main window's bar after its three menus: its
    // mnemonic is a letter theirs left free.
    Mnemonics bar;
    for (std::uint16_t mainMenu : {Msg::FileMenu, Msg::ToolsMenu, Msg::WindowMenu})
        bar.add(uiText(mainMenu));
    editionMenu_->setTitle(bar.add(uiText(Msg::EditionMenu)));
    readings_->setText(uiText(AppText::ReadingsButton));
    readings_->setToolTip(uiText(AppText::ReadingsButtonTip));
    Mnemonics items;
    changeOwnerData_->setText(items.add(uiText(Msg::ModifyDataMenuItem)));
    deleteLog_->setText(items.add(uiText(Msg::DeleteMenuItem)));
    copyData_->setText(items.add(uiText(Msg::CopyDataMenuItem)));
    serviceReport_->setText(items.add(QString::fromStdString(serviceReportMenuText())));
    printServiceReport_->setText(items.add(QString::fromStdString(printServiceReportMenuText())));
    changeHistory_->setText(items.add(uiText(AppText::ChangeHistoryItem)));
}

void TChildForm::refreshGeneralInformation()
{
    const TVXMowerLog& record = mower_.GetMowerHandle();
    const TVXOwner& owner = record.getOwner();
    std::string address = owner.getAddress();
    // Each address line ends with a line feed; the last one would only add an empty line.
    while (!address.empty() && (address.back() == '\n' || address.back() == '\r'))
        address.pop_back();
    setValue(name_, owner.getName());
    setValue(surname_, owner.getSurname());
    setValue(address_, address);
    const std::string id = recordWindowId(record);
    setValue(machineNumber_, id);
    setValue(serial_, recordSerialText(record));
    setValue(software_, recordSoftwareText(record));
    setValue(bootloader_, recordBootloaderText(record));
    setWindowTitle(QString::fromStdString(id));
}

void TChildForm::setValue(QLabel* label, const std::string& value)
{
    const QString full = QString::fromStdString(value);
    label->setProperty(FullTextProperty, full);
    fitValue(label);
}

void TChildForm::fitValue(QLabel* label)
{
    const QString full = label->property(FullTextProperty).toString();
    const int width = label->contentsRect().width() - label->indent();
    const QString shown = label->testAttribute(Qt::WA_Resized) && width > 0
        ? breakable(full, label->fontMetrics(), width)
        : full;
    if (label->text() != shown)
        label->setText(shown);
}

TTVXLogTab* TChildForm::addTab(TVXLog& history, int index)
{
    auto* tab = new TTVXLogTab(history, pages_);
    pages_->insertTab(index, tab, tab->title());
    // Two readings of the same minute have the same caption: the tooltip tells them apart.
    pages_->setTabToolTip(index, QString::fromStdString(readingToolTip(history)));
    connect(tab, &TTVXLogTab::commentEditingFinished, this,
            [this, tab]() { mower_.StoreComment(tab->date(), tab->commentText()); });
    if (TrendsView* trends = trendsTab(pages_))
        trends->invalidate();
    updateActions();
    return tab;
}

TTVXLogTab* TChildForm::tabAt(int index) const
{
    return static_cast<TTVXLogTab*>(pages_->widget(index));
}

TTVXLogTab* TChildForm::activeTab() const
{
    return qobject_cast<TTVXLogTab*>(pages_->currentWidget());  // null on the trends tab
}

int TChildForm::indexOf(const TVXLogTime& date) const
{
    for (int i = 0; i < historyTabCount(pages_); ++i)
        if (tabAt(i)->date() == date)
            return i;
    return -1;
}

void TChildForm::removeTab(TTVXLogTab* tab)
{
    disconnect(tab, nullptr, this, nullptr);
    const int index = pages_->indexOf(tab);
    // The active tab hands over to its neighbour history (the one before it,
    // the next one for the first), never to the trends tab that follows the last.
    if (pages_->currentWidget() == tab) {
        const int neighbour = index > 0 ? index - 1 : index + 1;
        if (neighbour < historyTabCount(pages_))
            pages_->setCurrentIndex(neighbour);
    }
    pages_->removeTab(index);
    delete tab;
    if (TrendsView* trends = trendsTab(pages_))
        trends->invalidate();
    updateActions();
}

QSize TChildForm::sizeHint() const
{
    // The size the window takes when the area cascades its windows: room for
    // a history's sheets beside the general information, without a scroll
    // bar. Once a tab has been shown, its sheet says what it needs; the
    // window's margins, columns and tab rows around it are as they stand.
    QSize hint(760, 540);
    const TTVXLogTab* tab = activeTab();
    if (!tab && historyTabCount(pages_) > 0)
        tab = tabAt(historyTabCount(pages_) - 1);
    if (tab && tab->isBuilt() && testAttribute(Qt::WA_WState_Visible)) {
        const QSize around = size() - tab->machineSheetRoom();
        hint = hint.expandedTo(around + tab->machineSheetNeed());
    }
    return hint.expandedTo(minimumSizeHint());
}

QMdiSubWindow* TChildForm::subWindow() const
{
    return qobject_cast<QMdiSubWindow*>(parentWidget());
}

void TChildForm::bringToFront()
{
    QMdiSubWindow* sub = subWindow();
    if (sub == nullptr) {
        show();
        raise();
        return;
    }
    if (sub->isMinimized() || sub->isHidden()) {
        if (restoreMaximized_)
            sub->showMaximized();
        else
            sub->showNormal();
    }
    if (QMdiArea* area = sub->mdiArea())
        area->setActiveSubWindow(sub);
    sub->raise();
}

void TChildForm::showHistory(const TVXLogTime& date)
{
    showWholeRecord();
    if (const int index = indexOf(date); index >= 0)
        pages_->setCurrentIndex(index);
    refreshGeneralInformation();
}

void TChildForm::showWholeRecord()
{
    // The delete rule looks at a history's neighbour in the record's order:
    // the tabs stand in that order, one per history, so that the neighbour
    // is the tab beside it (a merge adds several histories at once).
    TVXMowerLog& record = mower_.GetMowerHandle();
    const std::vector<TVXLogTime>& order = record.insertionOrder();
    for (int i = 0; i < static_cast<int>(order.size()); ++i) {
        const TVXLogTime& date = order[static_cast<std::size_t>(i)];
        if (i < historyTabCount(pages_) && tabAt(i)->date() == date)
            continue;
        if (const int at = indexOf(date); at >= 0)
            pages_->tabBar()->moveTab(at, i);
        else
            addTab(record.findLog(date), i);
    }
    // Tabs of histories the record no longer holds stand after the others.
    while (historyTabCount(pages_) > static_cast<int>(order.size()))
        removeTab(tabAt(historyTabCount(pages_) - 1));
}

void TChildForm::storeComments()
{
    for (int i = 0; i < historyTabCount(pages_); ++i) {
        TTVXLogTab* tab = tabAt(i);
        mower_.UpdateComment(tab->date(), tab->commentText());
        tab->commentStored();
    }
}

void TChildForm::showRecord()
{
    // A memo the dealer has not touched shows the comment as it is now; one
    // he is typing in keeps his text.
    bool typing = false;
    for (int i = 0; i < historyTabCount(pages_); ++i)
        typing = !tabAt(i)->refreshComment() || typing;
    showWholeRecord();
    refreshGeneralInformation();
    if (typing)
        user_.messageBox(MsgType::Information, appText(AppText::RecordChangedWhileTyping), MbOK);
}

void TChildForm::changeOwnerDataClick()
{
    // The dialog has the entry check, apply and write the change; the window
    // then shows the record's data as they are.
    TchangeODataForm dialog(mower_, user_, this);
    dialog.exec();
    refreshGeneralInformation();
}

void TChildForm::deleteLogClick()
{
    QPointer<TTVXLogTab> tab = activeTab();
    if (!tab)
        return;
    // A memo that keeps the focus would lose it after its history is gone:
    // it gives it up now, while its comment can still be stored.
    if (tab->isAncestorOf(QApplication::focusWidget()))
        pages_->tabBar()->setFocus(Qt::OtherFocusReason);
    const TVXLogTime date = tab->date();
    const DeleteResult result = mower_.DeleteHistory(date);
    if (result != DeleteResult::Deleted && result != DeleteResult::WriteFailed)
        return;
    // The history is gone from memory even when the write failed: so is its tab.
    if (tab)
        removeTab(tab);
    refreshGeneralInformation();
}

void TChildForm::copyDataClick()
{
    const TTVXLogTab* tab = activeTab();
    if (!tab)
        return;
    const std::string data = copyDataText(mower_.GetMowerHandle(), tab->history());
    QGuiApplication::clipboard()->setText(QString::fromStdString(data));
}

TTVXLogTab* TChildForm::reportTab() const
{
    if (TTVXLogTab* tab = activeTab())
        return tab;
    const int count = historyTabCount(pages_);
    return count > 0 ? tabAt(count - 1) : nullptr;
}

bool TChildForm::renderServiceReport(const TTVXLogTab& tab, QPagedPaintDevice* printer, const QString& pdfPath)
{
    const TVXMowerLog& record = mower_.GetMowerHandle();
    const std::string comment = tab.commentText();
    const ServiceReport report = serviceReport(record, tab.history(), &comment);
    QString error;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const bool done = printer ? paintServiceReport(report, historyTrends(record), *printer, error)
                              : writeServiceReportPdf(report, historyTrends(record), pdfPath, error);
    QGuiApplication::restoreOverrideCursor();
    if (!done)
        user_.messageBox(MsgType::Error, error.toStdString(), MbOK);
    return done;
}

void TChildForm::serviceReportClick()
{
    const TTVXLogTab* tab = reportTab();
    if (!tab)
        return;
    const std::optional<std::string> path =
        user_.chooseSaveFile(serviceReportDialogTitle(), {serviceReportFilter()}, 1,
                             serviceReportFileName(mower_.GetMowerHandle(), tab->history()));
    if (path)
        renderServiceReport(*tab, nullptr, QString::fromStdString(*path));
}

void TChildForm::printServiceReportClick()
{
    const TTVXLogTab* tab = reportTab();
    if (!tab)
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(serviceReportPageLayout());
    printer.setDocName(QString::fromStdString(serviceReportFileName(mower_.GetMowerHandle(), tab->history())));
    QPrintDialog dialog(&printer, this);
    dialog.setObjectName("printServiceReportDialog");
    if (dialog.exec() == QDialog::Accepted)
        renderServiceReport(*tab, &printer, QString());
}

void TChildForm::changeHistoryClick()
{
    // A folder keeps no journal: the item stays, and says so when chosen,
    // rather than standing greyed out without a reason.
    RecordStore* store = &mower_.Store();
    if (!store->keepsJournal()) {
        user_.messageBox(MsgType::Information, appText(AppText::ChangeHistoryEmpty), MbOK);
        return;
    }
    ChangeHistoryDialog dialog(mower_, *store, user_, this);
    if (dialog.reload())
        dialog.exec();
}

void TChildForm::updateActions()
{
    deleteLog_->setEnabled(historyTabCount(pages_) > 1 && activeTab() != nullptr);
    copyData_->setEnabled(activeTab() != nullptr);
    serviceReport_->setEnabled(historyTabCount(pages_) > 0);
    printServiceReport_->setEnabled(historyTabCount(pages_) > 0);
}

void TChildForm::openTabPopup(int index, const QPoint& globalPos)
{
    if (index < 0 || index >= historyTabCount(pages_))
        return;  // the trends tab has no pop-up
    pages_->setCurrentIndex(index);
    updateActions();
    tabPopup_->popup(globalPos);
}

void TChildForm::openActiveTabPopup()
{
    QTabBar* bar = pages_->tabBar();
    const QRect caption = bar->tabRect(bar->currentIndex());
    openTabPopup(bar->currentIndex(), bar->mapToGlobal(caption.center()));
}

void TChildForm::closeEvent(QCloseEvent* event)
{
    // The entry keeps a pointer to the window for the whole run: it is only
    // put aside, and comes back with bringToFront. It is hidden rather than
    // minimised: the MDI area maximises a window minimised beside a maximised
    // one again at once.
    event->ignore();
    QMdiSubWindow* sub = subWindow();
    if (sub == nullptr || sub->isHidden())
        return;
    // Behind a maximised window every other one counts as maximised too.
    const QMdiSubWindow* front = sub->mdiArea() ? sub->mdiArea()->activeSubWindow() : nullptr;
    restoreMaximized_ = sub->isMaximized() || (front && front->isMaximized());
    sub->hide();
}

bool TChildForm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Resize) {
        if (auto* label = qobject_cast<QLabel*>(watched))
            fitValue(label);  // the values are watched for their width
        return QWidget::eventFilter(watched, event);
    }
    QTabBar* bar = pages_ ? pages_->tabBar() : nullptr;
    if (watched != bar || bar == nullptr)
        return QWidget::eventFilter(watched, event);
    if (event->type() == QEvent::ContextMenu) {
        auto* menuEvent = static_cast<QContextMenuEvent*>(event);
        if (menuEvent->reason() == QContextMenuEvent::Mouse)
            openTabPopup(bar->tabAt(menuEvent->pos()), menuEvent->globalPos());
        else
            openActiveTabPopup();  // the menu key
        return true;
    }
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier) {
            openActiveTabPopup();
            return true;
        }
        if (key->matches(QKeySequence::Delete) && deleteLog_->isEnabled()) {
            deleteLog_->trigger();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
