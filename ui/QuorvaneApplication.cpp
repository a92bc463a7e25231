#include "ui/QuorvaneApplication.h"

#include "ui/TypePictures.h"

#include <QIcon>

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
    // A mower of our own, not the toolkit's logo, in the window corners.
    setWindowIcon(QIcon(typePicture("LN")));
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
