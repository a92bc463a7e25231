#include "ui/QuorvaneApplication.h"

#include <QMessageBox>

#include <exception>

namespace {

void showEscapedException(const QString& text)
{
    QMessageBox::critical(QApplication::activeWindow(), QApplication::applicationName(), text);
}

}  // namespace

QuorvaneApplication::QuorvaneApplication(int& argc, char** argv)
    : QApplication(argc, argv)
{
    setApplicationName("Quorvane");
}

bool QuorvaneApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        showEscapedException(QString::fromStdString(e.what()));
    } catch (...) {
        showEscapedException(QString());
    }
    return false;
}
