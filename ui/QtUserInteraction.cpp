#include "ui/QtUserInteraction.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>

namespace {

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

MsgButton QtUserInteraction::messageBox(MsgType type, const std::string& text, unsigned buttons)
{
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
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), QString::fromStdString(text),
                    QMessageBox::Ok, parent_);
    box.exec();
}

std::optional<std::string> QtUserInteraction::chooseOpenFile(const std::string& title,
                                                             const std::vector<FileFilter>& filters,
                                                             int filterIndex)
{
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
    QString selected = selectedFilter(filters, filterIndex);
    const QString file = QFileDialog::getSaveFileName(parent_, QString::fromStdString(title),
                                                      QString::fromStdString(suggestedName),
                                                      filterString(filters), &selected);
    if (file.isEmpty())
        return std::nullopt;
    return file.toStdString();
}
