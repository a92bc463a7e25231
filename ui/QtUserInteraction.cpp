#include "ui/QtUserInteraction.h"

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

QString filterString(const std::vector<FileFilter>& filters)
{
    QStringList parts;
    for (const FileFilter& f : filters)
        parts << QString::fromStdString(f.description + " (" + f.pattern + ")");
    return parts.join(";;");
}

QString selectedFilter(const std::vector<FileFilter>& filters, int filterIndex)
{
    if (filterIndex < 1 || filterIndex > static_cast<int>(filters.size()))
        return {};
    const FileFilter& f = filters[static_cast<std::size_t>(filterIndex - 1)];
    return QString::fromStdString(f.description + " (" + f.pattern + ")");
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
                                                      filterString(filters), &selected);
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
    QString selected = selectedFilter(filters, filterIndex);
    const QString file = QFileDialog::getSaveFileName(parent_, QString::fromStdString(title),
                                                      QString::fromStdString(suggestedName),
                                                      filterString(filters), &selected);
    if (file.isEmpty())
        return std::nullopt;
    return file.toStdString();
}
