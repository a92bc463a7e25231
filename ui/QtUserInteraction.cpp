#include "ui/QtUserInteraction.h"

#include "ui/FileFilters.h"

#include "core/CLogger.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <QStringList>

#include <cstdio>

namespace {

bool noOneToAsk = false;

MsgButton safeAnswer(unsigned buttons)
{
    for (const MsgButton b : {MbCancel, MbNo, MbAbort, MbOK, MbIgnore, MbRetry, MbYes})
        if (buttons & b)
            return b;
    return MbOK;
}

void reportUnanswered(const std::string& text)
{
    std::fprintf(stderr, "quorvane: %s\n", text.c_str());
    if (CLogger::exists())
        CLogger::instance().log("Not shown, the session is ending: " + text);
}

QString selectedFilter(const std::vector<FileFilter>& filters, int filterIndex)
{
    if (filterIndex < 1 || filterIndex > static_cast<int>(filters.size()))
        return {};
    return qtFilterEntry(filters[static_cast<std::size_t>(filterIndex - 1)]);
}

QMessageBox::StandardButtons toQt(unsigned buttons)
{
    QMessageBox::StandardButtons qt;
    if (buttons & MbOK) qt |= QMessageBox::Ok;
    if (buttons & MbCancel) qt |= QMessageBox::Cancel;
    if (buttons & MbYes) qt |= QMessageBox::Yes;
    if (buttons & MbNo) qt |= QMessageBox::No;
    if (buttons & MbAbort) qt |= QMessageBox::Abort;
    if (buttons & MbRetry) qt |= QMessageBox::Retry;
    if (buttons & MbIgnore) qt |= QMessageBox::Ignore;
    return qt == QMessageBox::StandardButtons() ? QMessageBox::Ok : qt;
}

MsgButton fromQt(int button)
{
    switch (button) {
    case QMessageBox::Ok: return MbOK;
    case QMessageBox::Yes: return MbYes;
    case QMessageBox::No: return MbNo;
    case QMessageBox::Abort: return MbAbort;
    case QMessageBox::Retry: return MbRetry;
    case QMessageBox::Ignore: return MbIgnore;
    default: return MbCancel;
    }
}

}  // namespace

void QtUserInteraction::stopWaitingForTheUser()
{
    noOneToAsk = true;
    // Each open dialog's own event loop ends; the code that opened it goes on
    // as after a cancel.
    QList<QPointer<QDialog>> open;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* dialog = qobject_cast<QDialog*>(w); dialog && dialog->isVisible() && dialog->isModal())
            open.append(dialog);
    for (const QPointer<QDialog>& dialog : open)
        if (dialog)
            dialog->reject();
}

bool QtUserInteraction::unattended()
{
    return noOneToAsk;
}

MsgButton QtUserInteraction::messageBox(MsgType type, const std::string& text, unsigned buttons)
{
    if (noOneToAsk) {
        reportUnanswered(text);
        return safeAnswer(buttons);
    }
    QMessageBox::Icon icon = QMessageBox::Warning;
    QString title = QApplication::applicationName();
    switch (type) {
    case MsgType::Warning: icon = QMessageBox::Warning; break;
    case MsgType::Error: icon = QMessageBox::Critical; break;
    case MsgType::Information: icon = QMessageBox::Information; break;
    case MsgType::Confirmation: icon = QMessageBox::Question; break;
    }
    QMessageBox box(icon, title, QString::fromStdString(text), toQt(buttons), parent_);
    return fromQt(box.exec());
}

void QtUserInteraction::showMessage(const std::string& text)
{
    if (noOneToAsk) {
        reportUnanswered(text);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), QString::fromStdString(text),
                    QMessageBox::Ok, parent_);
    box.exec();
}

std::optional<std::string> QtUserInteraction::chooseOpenFile(const std::string& title,
                                                             const std::vector<FileFilter>& filters,
                                                             int filterIndex)
{
    if (noOneToAsk)
        return std::nullopt;
    QString selected = selectedFilter(filters, filterIndex);
    const QString file = QFileDialog::getOpenFileName(parent_, QString::fromStdString(title), QString(),
                                                      qtFilterList(filters), &selected);
    if (file.isEmpty())
        return std::nullopt;
    return file.toStdString();
}

std::optional<std::string> QtUserInteraction::chooseSaveFile(const std::string& title,
                                                             const std::vector<FileFilter>& filters,
                                                             int filterIndex, const std::string& suggestedName)
{
    if (noOneToAsk)
        return std::nullopt;
    // A dialog of our own rather than the static call, so that a name typed
    // without an extension gets the chosen filter's and the dialog still asks
    // before it replaces a file of that name.
    QFileDialog dialog(parent_, QString::fromStdString(title), QString::fromStdString(suggestedName),
                       qtFilterList(filters));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    const QString selected = selectedFilter(filters, filterIndex);
    if (!selected.isEmpty())
        dialog.selectNameFilter(selected);
    dialog.setDefaultSuffix(firstSuffix(dialog.selectedNameFilter()));
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                     [&dialog](const QString& filter) { dialog.setDefaultSuffix(firstSuffix(filter)); });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first().toStdString();
}
